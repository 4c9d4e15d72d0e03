"""The installed trees and the Debian packages as a user meets them, each
component installed alone: the launcher started from unrelated folders
(installed, moved, unpacked from the .deb), its argument and exit-status
pass-through, the Python module imported from its own tree, the packages'
fields, and the verdicts of the Debian and freedesktop validators.

    PYTHONPATH=tests/support python3 -m pytest tests/package/check_package.py --source SRC \\
        --build BUILD --prefix INSTALLED --deb ripplemoor.deb --extracted UNPACKED \\
        [--python-prefix INSTALLED --python-deb python3-ripplemoor.deb \\
         --python-extracted UNPACKED]
"""

import gzip
import os
import re
import shutil
import stat
import subprocess
import tempfile

import pytest

from conftest import check
from ripplemoor_dev import x11

APP_ID = "org.ripplemoor.Ripplemoor"
OPEN_FAILED = "Image::Read: Failed to open Image file: skybox.tga\n"
READ_FAILED = "Skybox: Failed to read texture file: skybox.tga\n"

# Relative to the prefix.
LAUNCHER = "bin/ripplemoor"
PROGRAM = "libexec/ripplemoor/ripplemoor"
SKYBOX = "share/ripplemoor/skybox.tga"
TREE = [
    LAUNCHER, "bin/ripplemoor-replay", PROGRAM, SKYBOX,
    "share/applications/%s.desktop" % APP_ID,
    "share/metainfo/%s.metainfo.xml" % APP_ID,
    "share/man/man1/ripplemoor.1.gz", "share/man/man1/ripplemoor-replay.1.gz",
    "share/doc/ripplemoor/copyright", "share/doc/ripplemoor/changelog.gz",
] + ["share/icons/hicolor/%dx%d/apps/%s.png" % (s, s, APP_ID) for s in (48, 64, 128, 256)]


class Launched(x11.Program):
    """The installed launcher, started as a user would: from a fresh folder that
    holds no sky picture, with the arguments given."""

    def __init__(self, launcher, args=(), display_in_args=False, xvfb=None):
        self.owns_xvfb = xvfb is None
        self.xvfb = xvfb or x11.Xvfb()
        self.dir = tempfile.mkdtemp(prefix="ripplemoor-cwd-")
        self.env = dict(self.xvfb.env, LIBGL_ALWAYS_SOFTWARE="1")
        program_env = dict(self.env)
        if display_in_args:
            # Only the -display argument can then tell it where to go.
            del program_env["DISPLAY"]
        self.stdout_path = os.path.join(self.dir, "stdout.txt")
        self.stderr_path = os.path.join(self.dir, "stderr.txt")
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.process = subprocess.Popen([launcher] + list(args), cwd=self.dir,
                                            env=program_env, stdin=subprocess.DEVNULL,
                                            stdout=out, stderr=err)
        self.window = None


def run_and_quit(launcher, **kwargs):
    """Start-up lines, the window, then Esc: status 0."""
    with Launched(launcher, **kwargs) as app:
        app.start()
        check(app.stdout().splitlines() == ["Init", "Starting simulation..."],
              "stdout %r" % app.stdout())
        check(not os.path.exists(os.path.join(app.dir, "skybox.tga")),
              "the test folder must hold no sky picture")
        app.key("Escape")
        status = app.wait_exit(20)
        check(status == 0, "Esc should end it with 0, got %r; stderr %r"
              % (status, app.stderr()[-2000:]))


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **kwargs)


# --- the installed tree ------------------------------------------------------------


def presets(args, folder):
    """The preset scenes as installed in folder (relative to a prefix)."""
    names = sorted(n for n in os.listdir(os.path.join(args.source, "scene", "presets")) if n.endswith(".toml"))
    return [os.path.join(folder, n) for n in names]


def files_under(top):
    return sorted(os.path.relpath(os.path.join(d, n), top)
                  for d, _, names in os.walk(top) for n in names)


def installed_tree(args):
    tree = TREE + presets(args, "share/ripplemoor/scenes")
    missing = [p for p in tree if not os.path.isfile(os.path.join(args.prefix, p))]
    check(not missing, "not installed: %r" % missing)
    # The program's component alone: nothing of the module's.
    extra = [p for p in files_under(args.prefix) if p not in tree]
    check(not extra, "installed beside the program's files: %r" % extra)
    for p in (LAUNCHER, "bin/ripplemoor-replay", PROGRAM):
        mode = os.stat(os.path.join(args.prefix, p)).st_mode
        check(mode & stat.S_IXOTH, "%s is not executable by everyone" % p)
    with open(os.path.join(args.prefix, LAUNCHER)) as f:
        script = f.read()
    check(script.startswith("#!/bin/sh\n"), "the launcher is not a POSIX sh script")
    # The tree must work wherever it lands: no prefix, build or source path inside.
    for path in (args.prefix, args.build, args.source, "/usr"):
        check(path not in script, "the launcher names %s" % path)
    result = run(["sh", "-n", os.path.join(args.prefix, LAUNCHER)])
    check(result.returncode == 0, "sh -n: %s" % result.stderr)
    with open(os.path.join(args.build, "skybox.tga"), "rb") as a, \
            open(os.path.join(args.prefix, SKYBOX), "rb") as b:
        check(a.read() == b.read(), "the installed sky picture is not the generated one")
    # The replay tool runs from the tree too (it needs nothing beside itself).
    result = run([os.path.join(args.prefix, "bin/ripplemoor-replay")],
                 input="drop 80 80 5 0.3\nstep 3\nhash\n", cwd=tempfile.gettempdir())
    check(result.returncode == 0 and re.fullmatch(r"fnv1a64 [0-9a-f]{16}\n", result.stdout),
          "ripplemoor-replay: %r %r" % (result.returncode, result.stdout + result.stderr))
    # It finds the presets relative to itself, from any folder.
    result = run([os.path.join(args.prefix, "bin/ripplemoor-replay"), "--scene=harbour"],
                 input="hash\n", cwd=tempfile.gettempdir())
    check(result.returncode == 0, "ripplemoor-replay --scene=harbour: %r" % result.stderr)


def installed_launcher_starts(args):
    run_and_quit(os.path.join(args.prefix, LAUNCHER))


def display_argument_reaches_glut(args):
    # DISPLAY unset: the window can only appear on the display that the argument names.
    xvfb = x11.Xvfb()
    try:
        run_and_quit(os.path.join(args.prefix, LAUNCHER), args=["-display", xvfb.display],
                     display_in_args=True, xvfb=xvfb)
    finally:
        xvfb.close()


def moved_tree_without_sky_picture(args):
    # A copy elsewhere (another prefix), with the picture removed from it.
    with tempfile.TemporaryDirectory(prefix="ripplemoor-moved-") as moved:
        tree = os.path.join(moved, "some", "other", "prefix")
        shutil.copytree(args.prefix, tree, symlinks=True)
        os.remove(os.path.join(tree, SKYBOX))
        with Launched(os.path.join(tree, LAUNCHER)) as app:
            status = app.wait_exit(60)
            err = app.stderr()
            # Refused on the command line, before any window.
            check(status == 2, "status %r, want 2; stderr %r" % (status, err))
            check(app.stdout() == "", "stdout %r" % app.stdout())
            check("cannot read the sky '%s'" % os.path.join(tree, SKYBOX) in err
                  and "No such file" in err, "stderr: %r" % err)


FAKE_PROGRAM = """#!/bin/sh
pwd
for a in "$@"; do printf '<%s>\\n' "$a"; done
case ${2-} in exit=*) exit "${2#exit=}" ;; esac
exit 0
"""


def launcher_passes_through(args):
    """With a stand-in program that prints its folder and arguments: every
    argument arrives unchanged after the sky's, the folder is the caller's, the
    status comes back, from a link and through PATH too, and a missing data folder gives 255."""
    with tempfile.TemporaryDirectory(prefix="ripplemoor-fake-") as top:
        tree = os.path.join(top, "tree with space")
        os.makedirs(os.path.join(tree, "bin"))
        os.makedirs(os.path.join(tree, os.path.dirname(PROGRAM)))
        os.makedirs(os.path.join(tree, os.path.dirname(SKYBOX)))
        shutil.copy2(os.path.join(args.prefix, LAUNCHER), os.path.join(tree, LAUNCHER))
        with open(os.path.join(tree, PROGRAM), "w") as f:
            f.write(FAKE_PROGRAM)
        os.chmod(os.path.join(tree, PROGRAM), 0o755)
        data = os.path.realpath(os.path.join(tree, os.path.dirname(SKYBOX)))
        given = ["exit=7", "-display", ":9", "two  words", "", "*", "--", "$HOME", "a\nb", "-"]
        sky = "<--sky=%s/skybox.tga>\n" % data
        expected = os.path.realpath(top) + "\n" + sky + "".join("<%s>\n" % a for a in given)

        links = os.path.join(top, "links")
        os.makedirs(links)
        os.symlink(os.path.join(tree, LAUNCHER), os.path.join(links, "ripplemoor"))
        os.symlink(os.path.join(links, "ripplemoor"), os.path.join(links, "again"))
        # A sky of the user's own would take the launcher elsewhere.
        own = dict(os.environ, XDG_DATA_HOME=os.path.join(top, "no user data"))
        env = dict(own, PATH=os.path.join(tree, "bin") + os.pathsep + os.environ["PATH"])
        for how, command, extra in [("by path", [os.path.join(tree, LAUNCHER)], {"env": own}),
                                    ("through two links", [os.path.join(links, "again")], {"env": own}),
                                    ("by name on PATH", ["ripplemoor"], {"env": env})]:
            result = run(command + given, cwd=top, **extra)
            check(result.returncode == 7, "%s: status %r, want 7" % (how, result.returncode))
            check(result.stdout == expected, "%s: got %r, want %r" % (how, result.stdout, expected))

        result = run([os.path.join(tree, LAUNCHER)], cwd=top, env=own)
        check(result.returncode == 0 and result.stdout == os.path.realpath(top) + "\n" + sky,
              "no arguments: %r %r" % (result.returncode, result.stdout))

        shutil.rmtree(os.path.join(tree, os.path.dirname(SKYBOX)))
        result = run([os.path.join(tree, LAUNCHER)], cwd=top, env=own)
        check(result.returncode == 255, "missing data folder: status %r" % result.returncode)
        check("data folder" in result.stderr and result.stdout == "",
              "missing data folder: %r %r" % (result.stdout, result.stderr))


# --- the package -------------------------------------------------------------------


def project_version(args):
    with open(os.path.join(args.build, "CMakeCache.txt")) as f:
        match = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.*)$", f.read(), re.M)
    check(match, "no project version in the cache")
    return match.group(1)


def control_fields(args, deb, package, section):
    """The fields every package of the build shares: file name, name, version,
    architecture, section, and the changelog of the same version."""
    version = project_version(args)
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()
    check(os.path.basename(deb) == "%s_%s_%s.deb" % (package, version, arch),
          "package file %s" % os.path.basename(deb))
    fields = run(["dpkg-deb", "-f", deb]).stdout
    field = dict(re.findall(r"^([A-Za-z-]+): (.*)$", fields, re.M))
    check(field.get("Package") == package and field.get("Version") == version
          and field.get("Architecture") == arch and field.get("Section") == section,
          "control fields %r" % field)
    return field


def changelog_version(args, extracted, package):
    version = project_version(args)
    with gzip.open(os.path.join(extracted, "usr/share/doc/%s/changelog.gz" % package), "rt") as f:
        changelog = f.readline()
    check(changelog.startswith("ripplemoor (%s) " % version), "%s changelog: %r" % (package, changelog))


def package_fields(args):
    version = project_version(args)
    field = control_fields(args, args.deb, "ripplemoor", "science")
    depends = field.get("Depends", "")
    # Computed from the binaries by dpkg-shlibdeps: the C library and GLUT at least,
    # and nothing of the module's.
    for needed in ("libc6 (>=", "libglut"):
        check(needed in depends, "Depends lacks %s: %r" % (needed, depends))
    for unwanted in ("python3", "numpy"):
        check(unwanted not in depends, "Depends names %s: %r" % (unwanted, depends))
    # Every place that names the version names the same one.
    changelog_version(args, args.extracted, "ripplemoor")
    with open(os.path.join(args.extracted, "usr/share/metainfo/%s.metainfo.xml" % APP_ID)) as f:
        release = re.search(r'<release version="([^"]+)"', f.read())
    check(release and release.group(1) == version, "metainfo's newest release %r" % release)
    for page in ("ripplemoor", "ripplemoor-replay"):
        with gzip.open(os.path.join(args.extracted, "usr/share/man/man1/%s.1.gz" % page), "rt") as f:
            th = re.search(r'^\.TH .*"Ripplemoor ([^"]+)"', f.read(), re.M)
        check(th and th.group(1) == version, "%s(1) version %r" % (page, th))
    listing = run(["dpkg-deb", "-c", args.deb]).stdout
    check("./usr/share/ripplemoor/skybox.tga" in listing, "the package lacks the sky picture")
    check("dist-packages" not in listing, "the program's package carries the module")


def unpacked_package_starts(args):
    run_and_quit(os.path.join(args.extracted, "usr", LAUNCHER))


def validators(args):
    usr = os.path.join(args.extracted, "usr")
    problems = []
    result = run(["desktop-file-validate",
                  os.path.join(usr, "share/applications/%s.desktop" % APP_ID)])
    print("  desktop-file-validate: %s" % (result.stdout.strip() or "clean"))
    if result.returncode != 0 or result.stdout.strip():
        problems.append("desktop-file-validate: " + result.stdout + result.stderr)
    result = run(["appstreamcli", "validate", "--no-net",
                  os.path.join(usr, "share/metainfo/%s.metainfo.xml" % APP_ID)])
    print("  appstreamcli validate --no-net: %s" % result.stdout.strip().splitlines()[-1:])
    if result.returncode != 0 or re.search(r"^[EW]: ", result.stdout, re.M):
        problems.append("appstreamcli: " + result.stdout + result.stderr)
    for page in ("ripplemoor", "ripplemoor-replay"):
        result = run(["man", "--warnings", "-l", os.path.join(usr, "share/man/man1/%s.1.gz" % page)],
                     env=dict(os.environ, MANWIDTH="80"))
        if result.returncode != 0 or result.stderr.strip():
            problems.append("man %s: %s" % (page, result.stderr))
        check("EXIT STATUS" in result.stdout, "%s(1) has no EXIT STATUS section" % page)
    # Offline, the validator cannot see the screenshots: each must be one of our
    # pictures in docs/, of the size the metainfo declares.
    with open(os.path.join(usr, "share/metainfo/%s.metainfo.xml" % APP_ID)) as f:
        images = re.findall(r'<image type="source" width="(\d+)" height="(\d+)">'
                            r'https://ripplemoor\.org/([^<]+)</image>', f.read())
    check(len(images) >= 2, "metainfo lists %d screenshots" % len(images))
    for width, height, path in images:
        local = os.path.join(args.source, path)
        check(os.path.isfile(local), "screenshot %s is not in the source tree" % path)
        with open(local, "rb") as f:
            head = f.read(24)
        check(head[:8] == b"\x89PNG\r\n\x1a\n", "%s is not a PNG" % path)
        size = (int.from_bytes(head[16:20], "big"), int.from_bytes(head[20:24], "big"))
        check(size == (int(width), int(height)), "%s is %r, metainfo says %sx%s"
              % (path, size, width, height))
    problems += lintian(args.deb)
    check(not problems, "\n".join(problems))


def lintian(deb):
    """Errors and warnings both fail; the informational tags that remain are
    printed, and among them no hardening tag and no section left by the compiler."""
    problems = []
    result = run(["lintian", "--fail-on", "error,warning", "--display-info", deb])
    tags = [line for line in result.stdout.splitlines() if line.strip()]
    print("  lintian %s: %s" % (os.path.basename(deb), "".join("\n    " + t for t in tags) or "clean"))
    if result.returncode != 0:
        problems.append("lintian: " + result.stdout + result.stderr)
    banned = [t for t in tags if re.search(r": (hardening-\S+|binary-has-unneeded-section)\b", t)]
    if banned:
        problems.append("lintian: " + "\n".join(banned))
    return problems


# --- the Python module (builds with RIPPLEMOOR_PYTHON) ---------------------------------


def cache_value(args, name):
    with open(os.path.join(args.build, "CMakeCache.txt")) as f:
        match = re.search(r"^%s:[A-Z]+=(.*)$" % re.escape(name), f.read(), re.M)
    return match.group(1) if match else None


def python_tree_alone(args):
    """The module's component and package hold the module and their doc folder,
    nothing of the program's."""
    site = cache_value(args, "RIPPLEMOOR_PYTHON_INSTALL_DIR")
    expected = sorted([os.path.join(site, "ripplemoor", p) for p in ("__init__.py", "__init__.pyi", "py.typed",
                                                                       "recording.py", "animation.py")]
                      + presets(args, os.path.join(site, "ripplemoor", "scenes"))
                      + ["share/doc/python3-ripplemoor/copyright", "share/doc/python3-ripplemoor/changelog.gz",
                         "share/lintian/overrides/python3-ripplemoor"])
    for name, top in (("installed tree", args.python_prefix),
                      ("unpacked package", os.path.join(args.python_extracted, "usr"))):
        files = files_under(top)
        core = [p for p in files if re.fullmatch(re.escape(os.path.join(site, "ripplemoor", "_core")) + r"\..*\.so", p)]
        check(len(core) == 1, "%s: compiled core %r" % (name, core))
        check(sorted(set(files) - set(core)) == expected, "%s holds %r" % (name, files))


def python_package_fields(args):
    field = control_fields(args, args.python_deb, "python3-ripplemoor", "python")
    depends = field.get("Depends", "")
    # The interpreter and NumPy, computed at configure time; the C and C++ runtimes
    # from the extension by dpkg-shlibdeps; nothing of the program's.
    for needed in ("python3 (>=", "python3 (<<", "python3-numpy", "libc6 (>=", "libstdc++6"):
        check(needed in depends, "Depends lacks %s: %r" % (needed, depends))
    for unwanted in ("ripplemoor", "libglut", "libgl1"):
        check(unwanted not in depends, "Depends names %s: %r" % (unwanted, depends))
    check(field.get("Suggests") == "python3-distributed", "Suggests %r" % field.get("Suggests"))
    changelog_version(args, args.python_extracted, "python3-ripplemoor")
    listing = run(["dpkg-deb", "-c", args.python_deb]).stdout
    check("__pycache__" not in listing, "the package carries compiled bytecode")
    problems = lintian(args.python_deb)
    check(not problems, "\n".join(problems))


def python_module(args):
    """The module imports from its own tree alone, installed and unpacked, from an
    unrelated folder, and computes what the program's replay tool does."""
    site = cache_value(args, "RIPPLEMOOR_PYTHON_INSTALL_DIR")
    python = cache_value(args, "Python3_EXECUTABLE")
    script = ("import ripplemoor, sys; ripplemoor.add_drop(80, 80, 5, 0.3); ripplemoor.step(3); "
              "print(ripplemoor.__file__); print('fnv1a64 %016x' % ripplemoor.state_hash()); "
              "b = ripplemoor.Basin.from_scene('two-slits'); b.add_drop(30, 80, 5, 0.3); b.step(3); "
              "print('fnv1a64 %016x' % b.state_hash())")
    for name, prefix, program in (
            ("installed tree", args.python_prefix, args.prefix),
            ("unpacked package", os.path.join(args.python_extracted, "usr"),
             os.path.join(args.extracted, "usr"))):
        package = os.path.join(prefix, site, "ripplemoor")
        with tempfile.TemporaryDirectory(prefix="ripplemoor-python-") as cwd:
            env = dict(os.environ, PYTHONPATH=os.path.join(prefix, site), PYTHONDONTWRITEBYTECODE="1")
            result = run([python, "-c", script], cwd=cwd, env=env)
            replay = run([os.path.join(program, "bin/ripplemoor-replay")],
                         input="drop 80 80 5 0.3\nstep 3\nhash\n", cwd=cwd)
            # The module's own presets, which its package carries.
            scene = run([os.path.join(program, "bin/ripplemoor-replay"), "--scene=two-slits"],
                        input="drop 30 80 5 0.3\nstep 3\nhash\n", cwd=cwd)
        check(result.returncode == 0, "%s: import failed: %s" % (name, result.stderr))
        where, printed, from_scene = result.stdout.splitlines()
        check(where.startswith(package), "%s: imported %s" % (name, where))
        check(printed + "\n" == replay.stdout, "%s: module %r, replay tool %r"
              % (name, printed, replay.stdout))
        check(from_scene + "\n" == scene.stdout, "%s: two-slits in the module %r, in the replay tool %r"
              % (name, from_scene, scene.stdout))
        print("  %s: %s" % (name, printed))


def start_files_have_cet():
    """Whether the C runtime's start files carry the x86 IBT and SHSTK marks.
    The linker marks a program only when every object in it does, so without
    them (glibc on Debian 12) no program can carry the mark, however built."""
    start = run(["g++", "-print-file-name=Scrt1.o"]).stdout.strip()
    notes = run(["readelf", "-n", start]).stdout
    return re.search(r"x86 feature: IBT, SHSTK", notes) is not None


def hardening(args):
    """hardening-check on both packaged binaries: PIE, stack protector, fortified
    libc calls, read-only relocations bound at start-up; control-flow marks
    where the C runtime allows them, and -fcf-protection's landing pads in our
    code in any case."""
    usr = os.path.join(args.extracted, "usr")
    binaries = [os.path.join(usr, p) for p in ("bin/ripplemoor-replay", PROGRAM)]
    x86 = run(["dpkg", "--print-architecture"]).stdout.strip() in ("amd64", "i386")
    demand_cet = x86 and start_files_have_cet()
    for binary in binaries:
        command = ["hardening-check"] + ([] if demand_cet else ["--nocfprotection"]) + [binary]
        result = run(command)
        report = result.stdout.replace(usr + "/", "")
        print("  " + report.strip().replace("\n", "\n  "))
        check(result.returncode == 0, "hardening-check failed:\n%s%s" % (report, result.stderr))
        for line in ("Position Independent Executable: yes", "Stack protected: yes",
                     "Read-only relocations: yes", "Immediate binding: yes"):
            check(line in report, "%s: not %r" % (binary, line))
        check(re.search(r"Fortify Source functions: (yes|unknown, no protectable)", report),
              "%s: libc calls not fortified" % binary)
        if x86:
            code = run(["objdump", "-d", "--section=.text", binary]).stdout
            check(code.count("endbr64") > 10, "%s: no -fcf-protection landing pads" % binary)


def no_build_paths(args):
    """No file of the packages names the folder it was built in or built from:
    what is in them must not depend on where they were made."""
    paths = {os.path.realpath(p).encode() for p in (args.build, args.source)}
    found = []
    for top, _, names in (w for e in extracted_trees(args) for w in os.walk(e)):
        for name in names:
            path = os.path.join(top, name)
            if os.path.islink(path):
                continue
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(".gz"):
                data = gzip.decompress(data)
            found += ["%s names %s" % (path, p.decode())
                      for p in paths if p in data]
    check(not found, "\n".join(found))


CASES = [
    ("installed tree: files, relocatable launcher, replay tool", installed_tree),
    ("installed launcher from an unrelated folder: start-up, window, Esc gives 0",
     installed_launcher_starts),
    ("-display reaches GLUT through the launcher", display_argument_reaches_glut),
    ("moved tree without the sky picture: both messages, status 255",
     moved_tree_without_sky_picture),
    ("launcher passes arguments and status through, from links and PATH",
     launcher_passes_through),
    ("package: name, fields, computed dependencies, one version everywhere", package_fields),
    ("unpacked package: launcher starts from an unrelated folder", unpacked_package_starts),
    ("validators: desktop entry, metainfo, man pages, lintian", validators),
    ("hardening: hardening-check on both binaries", hardening),
    ("packages name no build or source folder", no_build_paths),
]

PYTHON_CASES = [
    ("Python module's tree and package alone: the module, its doc folder, nothing else",
     python_tree_alone),
    ("Python module's package: name, fields, Depends, Suggests, lintian", python_package_fields),
    ("Python module: imports from its own tree and package, agrees with the replay tool",
     python_module),
]


def extracted_trees(args):
    return [args.extracted] + ([args.python_extracted] if args.python_extracted else [])


@pytest.mark.parametrize("case", [case for _, case in CASES], ids=[name for name, _ in CASES])
def test_package(args, case):
    case(args)


@pytest.mark.parametrize("case", [case for _, case in PYTHON_CASES], ids=[name for name, _ in PYTHON_CASES])
def test_python_package(args, case):
    if cache_value(args, "RIPPLEMOOR_PYTHON") != "ON":
        pytest.skip("built without the Python module")
    check(args.python_prefix and args.python_deb and args.python_extracted,
          "the --python-* options go together, for a build with the module")
    case(args)
