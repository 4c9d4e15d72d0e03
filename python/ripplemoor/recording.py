"""Basin.run: a recorded run as an xarray.Dataset. xarray is imported here, on
the first run, not by `import ripplemoor`."""

import inspect
import operator

import numpy as np


def _count(value, name, least):
    try:
        n = operator.index(value)
    except TypeError:
        raise TypeError(f"run(): {name} must be an integer, not {type(value).__name__}") from None
    if n < least:
        raise ValueError(f"run(): {name} must be at least {least}, got {n}")
    return n


def _places(gauges):
    if gauges is None:
        return []
    places = []
    for item in gauges:
        try:
            x, y = item
            places.append((operator.index(x), operator.index(y)))
        except (TypeError, ValueError):
            raise TypeError(f"run(): each gauge must be an (x, y) pair of integers, got {item!r}") from None
    return places


def _bar(progress, total):
    if not progress:
        return None
    from tqdm.auto import tqdm
    return tqdm(total=total, unit="step")


def run(self, n, *, every=1, gauges=None, fields=(), progress=False):
    """Runs n steps and returns them recorded as an xarray.Dataset.

    Records are taken after steps every, 2 every, ..., n, so the last record
    is the final state. Variables: each name of fields (dims time, y, x) and
    gauge_h (dims time, gauge) for the basin's own gauges plus those passed
    in. Coordinates: time in time units since the last reset, x and y in
    length units (column or row times the cell size), gauge_x and gauge_y in
    cells. The configuration, sources and sponge are in attrs. Ctrl-C stops it
    within a step.

    Parameters
    ----------
    n : int
        Steps, a multiple of every.
    every : int
        Steps between records, 1 or more.
    gauges : sequence of (x, y) or None
        Cells recorded besides the basin's own gauges.
    fields : sequence of str
        Fields recorded whole (names of FIELD_NAMES).
    progress : bool
        Show a tqdm progress bar.

    Raises
    ------
    ValueError
        For n not a multiple of every, an unknown field, or a gauge outside
        the basin or in a wall.
    """
    basin = self
    import xarray as xr
    from . import FIELD_NAMES

    n = _count(n, "n", 0)
    every = _count(every, "every", 1)
    if n % every:
        raise ValueError(f"run(): n ({n}) must be a multiple of every ({every})")
    if isinstance(fields, str):
        fields = (fields,)
    fields = tuple(fields)
    for name in fields:
        if name not in FIELD_NAMES:
            raise ValueError(f"run(): unknown field {name!r}; the fields are {', '.join(FIELD_NAMES)}")
    places = list(basin.gauges) + _places(gauges)
    for x, y in places:
        basin._check_gauge(x, y)

    records = n // every
    start = basin.steps_since_reset
    series = np.empty((records, len(places)), dtype=np.float32)
    frames = {name: np.empty((records, basin.height, basin.width), dtype=np.float32) for name in fields}
    bar = _bar(progress, n)
    try:
        if fields:
            # A record per call: copying the fields costs more than the call.
            views = {name: basin.field(name) for name in fields}
            for r in range(records):
                if places:
                    series[r] = basin._record(every, every, places)[0]
                else:
                    basin.step(every)
                for name in fields:
                    frames[name][r] = views[name]
                if bar is not None:
                    bar.update(every)
        else:
            # Gauges only: the steps and the readings stay in the compiled core,
            # in pieces of about a hundredth of the run for the bar.
            piece = max(1, records // 100) if bar is not None else max(records, 1)
            done = 0
            while done < records:
                k = min(piece, records - done)
                series[done:done + k] = basin._record(k * every, every, places)
                done += k
                if bar is not None:
                    bar.update(k * every)
    finally:
        if bar is not None:
            bar.close()

    steps = start + every * np.arange(1, records + 1, dtype=np.int64)
    coords = {
        "time": ("time", steps * basin.timestep, {"units": "time units", "long_name": "time since reset"}),
        "step": ("time", steps),
        "x": ("x", np.arange(basin.width) * basin.cell_size, {"units": "length units"}),
        "y": ("y", np.arange(basin.height) * basin.cell_size, {"units": "length units"}),
        "gauge_x": ("gauge", np.array([p[0] for p in places], dtype=np.int64), {"units": "cells"}),
        "gauge_y": ("gauge", np.array([p[1] for p in places], dtype=np.int64), {"units": "cells"}),
    }
    data = {name: (("time", "y", "x"), frames[name]) for name in fields}
    data["gauge_h"] = (("time", "gauge"), series, {"long_name": "water column h at the gauges"})
    width, edges, strength = basin.sponge_settings
    attrs = {
        "width": basin.width, "height": basin.height, "cell_size": basin.cell_size,
        "timestep": basin.timestep, "gravity": basin.gravity, "rest_height": basin.rest_height,
        "every": every, "sponge_width": width, "sponge_edges": edges, "sponge_strength": strength,
        "sources": "; ".join(" ".join(f"{k}={v}" for k, v in s.items()) for s in basin.sources),
        "bed_min": float(basin.bed.min()), "bed_max": float(basin.bed.max()),
    }
    return xr.Dataset(data, coords=coords, attrs=attrs)


# Unindented, as the compiled methods' docstrings are (the reference reads them so).
run.__doc__ = inspect.cleandoc(run.__doc__)
