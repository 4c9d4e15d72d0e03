"""The solver in WebAssembly gives the native bits: the replay tool for Node
(build-web/ripplemoor-replay.js) prints every pinned scenario's hashes on each
of its solvers, and agrees with the native tool over long runs of the colour
mode whose arctangent comes from the C library (emscripten's, not glibc's).

RIPPLEMOOR_WEB_BUILD names the web build (default build-web);
RIPPLEMOOR_NATIVE_REPLAY the native tool (default: build-test's or build's)."""
import os
import pathlib
import shutil
import subprocess
import sys

import pytest

from flow_direction_script import script as flow_direction_script

ROOT = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("RIPPLEMOOR_WEB_BUILD", ROOT / "build-web"))
REPLAY = BUILD / "ripplemoor-replay.js"
NODE = shutil.which("node") or "node"
PINNED = sorted((ROOT / "tests" / "sim").glob("*.replay"))

pytestmark = pytest.mark.skipif(not REPLAY.exists(),
                                reason=f"no {REPLAY} (bash tools/web.sh --no-serve)")


def native_replay():
    named = os.environ.get("RIPPLEMOOR_NATIVE_REPLAY")
    if named:
        return pathlib.Path(named)
    for build in ("build-test", "build"):
        candidate = ROOT / build / "ripplemoor-replay"
        if candidate.exists():
            return candidate
    return None


def test_every_pinned_scenario_is_covered():
    # The six scenarios: the seed's basin, every colour mode, other sizes, walls.
    assert {p.stem for p in PINNED} >= {"scenario", "modes", "basin-slits", "basin-channel",
                                        "basin-tall", "basin-tiny"}


def test_solvers_are_the_portable_loops_first_then_emu128():
    listed = subprocess.run([NODE, str(REPLAY), "--target", "list"], capture_output=True,
                            text=True, check=True).stdout.split()
    # The plain loops are the faster in WebAssembly (docs/web.md), so the default.
    assert listed == ["portable", "EMU128"]


@pytest.mark.parametrize("script", PINNED, ids=lambda p: p.stem)
def test_pinned_hashes_on_every_solver(script):
    run = subprocess.run([sys.executable, str(ROOT / "tests" / "sim" / "compare_replays.py"),
                          "--every-solver", str(script), f"{NODE} {REPLAY}"],
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr


@pytest.mark.parametrize("width, height, steps", [(160, 160, 6000), (97, 61, 6000)])
def test_flow_direction_matches_native_over_long_runs(tmp_path, width, height, steps):
    native = native_replay()
    if native is None:
        pytest.skip("no native ripplemoor-replay to compare with")
    path = tmp_path / "flow.replay"
    path.write_text(flow_direction_script(width, height, steps, every=500))
    wasm = subprocess.run([NODE, str(REPLAY), str(path)], capture_output=True, text=True, check=True)
    here = subprocess.run([str(native), str(path)], capture_output=True, text=True, check=True)
    lines = wasm.stdout.splitlines()
    assert len(lines) == steps // 500
    assert lines == here.stdout.splitlines()


@pytest.mark.parametrize("preset", ["two-slits", "harbour"])
def test_preset_scenes_give_the_native_bits(tmp_path, preset):
    native = native_replay()
    if native is None:
        pytest.skip("no native ripplemoor-replay to compare with")
    path = tmp_path / "drops.replay"
    path.write_text("drop 30 80 5 0.3\nstep 200\nhash\nmode 5\nstep 200\nhash\n")
    wasm = subprocess.run([NODE, str(REPLAY), "--scene", preset, str(path)], capture_output=True,
                          text=True, check=True)
    here = subprocess.run([str(native), "--scene", preset, str(path)], capture_output=True, text=True,
                          check=True)
    assert len(wasm.stdout.splitlines()) == 2
    assert wasm.stdout == here.stdout


def test_scene_with_a_mask_is_refused_with_a_reason(tmp_path):
    scene = tmp_path / "masked.toml"
    scene.write_text('[basin]\nwidth = 20\nheight = 20\n\n[walls]\nmask = "walls.png"\n')
    (tmp_path / "walls.png").write_bytes(b"\x89PNG\r\n\x1a\n")
    script = tmp_path / "s.replay"
    script.write_text("step 1\nhash\n")
    run = subprocess.run([NODE, str(REPLAY), "--scene", str(scene), str(script)], capture_output=True,
                         text=True)
    assert run.returncode == 2
    assert "masked.toml" in run.stderr and "PNG masks" in run.stderr
