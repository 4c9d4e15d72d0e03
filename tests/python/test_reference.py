"""The module's reference as help(), inspect and the documentation site read
it: every signature whole, every parameter described, and every docstring's
Examples run as doctests."""

import doctest
import inspect
import re
import warnings

import pytest

import ripplemoor as rm


def public_callables():
    """(qualified name, object) of the compiled core's functions and the Basin's
    methods."""
    found = [("ripplemoor." + name, getattr(rm, name)) for name in rm.__all__
             if getattr(rm._core, name, None) is getattr(rm, name) and callable(getattr(rm, name))
             and not inspect.isclass(getattr(rm, name))]
    found += [("ripplemoor.Basin." + name, getattr(rm.Basin, name)) for name in dir(rm.Basin)
              if not name.startswith("_") and callable(getattr(rm.Basin, name))]
    return found


def documented():
    """Everything whose docstring the reference shows."""
    found = [("ripplemoor", rm), ("ripplemoor.Basin", rm.Basin)] + public_callables()
    found += [("ripplemoor.Basin." + name, getattr(rm.Basin, name)) for name in dir(rm.Basin)
              if isinstance(getattr(rm.Basin, name), property)]
    return found


def test_the_basin_shows_its_constructor_and_every_methods_parameters():
    assert str(inspect.signature(rm.Basin)) == (
        "(width=160, height=160, *, cell_size=0.3125, timestep=0.0625, gravity=10.0, rest_height=1.0, "
        "threads=None, conserve_volume=False)")
    basin = rm.Basin(4, 4)
    assert list(inspect.signature(basin.add_drop).parameters) == ["cx", "cy", "radius", "increment"]
    assert list(inspect.signature(basin.field).parameters) == ["name"]
    assert str(inspect.signature(basin.step)) == "(n=1)"
    for name, method in public_callables():
        if not name.startswith("ripplemoor.Basin.") or name == "ripplemoor.Basin.from_scene":
            continue
        unbound = list(inspect.signature(method).parameters)
        bound = list(inspect.signature(getattr(basin, name.rsplit(".", 1)[1])).parameters)
        # The unbound method opens with self; the bound one keeps everything after it.
        assert unbound[:1] == ["self"] and bound == unbound[1:], (name, unbound, bound)


def parameter_section(doc):
    match = re.search(r"^Parameters\n-+\n(.*?)(?:\n\n[A-Z][a-z]+\n-+\n|\Z)", doc, re.S | re.M)
    return match.group(1) if match else ""


@pytest.mark.parametrize("name, function", public_callables(), ids=[n for n, _ in public_callables()])
def test_every_parameter_is_described(name, function):
    parameters = [p for p in inspect.signature(function).parameters if p != "self"]
    if not parameters or "Deprecated" in function.__doc__:
        return
    described = re.findall(r"^(\w+(?:, \w+)*) :", parameter_section(function.__doc__), re.M)
    names = [word for line in described for word in line.split(", ")]
    assert names == parameters, (name, names, parameters)


@pytest.mark.parametrize("name, thing", documented(), ids=[n for n, _ in documented()])
def test_docstring_examples_run_as_printed(name, thing):
    parser = doctest.DocTestParser()
    test = parser.get_doctest(inspect.getdoc(thing) or "", {}, name, None, 0)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS | doctest.NORMALIZE_WHITESPACE)
    report = []
    runner.run(test, out=report.append)
    assert runner.failures == 0, "".join(report)


def test_the_main_callables_carry_examples():
    for name, thing in documented():
        if name.rsplit(".", 1)[-1] in {"Basin", "step", "add_drop", "field", "step_all", "targets", "copy"}:
            assert "\nExamples\n--------\n>>> " in inspect.getdoc(thing), name


@pytest.mark.parametrize("old, new, args", [("solvers", "targets", ()), ("solver", "target", ()),
                                            ("use_solver", "use_target", ("portable",))])
def test_the_deprecated_names_say_which_to_use(old, new, args):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        getattr(rm, old)(*args)
    rm.use_target(rm.targets()[0])
    assert [w.category for w in caught] == [DeprecationWarning]
    assert "use ripplemoor.%s()" % new in str(caught[0].message)
