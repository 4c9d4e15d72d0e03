"""Scenes from Python against the replay tool: the same file gives the same
basin, and so the same hashes, in both; Python's files read back bit for bit."""

import pathlib
import subprocess

import numpy as np
import pytest

import ripplemoor

PRESETS = ["beach", "channel", "corner-reflector", "harbour", "harbour-with-wave-maker", "one-slit", "shelf",
           "two-slits"]
SCRIPT = "drop 30 20 5 0.3\ndrop 12 30 2 0.05\nstep 60\nhash\nmode 4\nstep 20\nhash\n"


def replay(replay_tool, args, script):
    return subprocess.run(list(replay_tool) + args, input=script, capture_output=True, text=True,
                          timeout=120)


def python_hashes(basin):
    """SCRIPT played on a basin through the module."""
    basin.add_drop(30, 20, 5, 0.3)
    basin.add_drop(12, 30, 2, 0.05)
    basin.step(60)
    first = basin.state_hash()
    basin.color_mode = 4
    basin.step(20)
    return "fnv1a64 %016x\nfnv1a64 %016x\n" % (first, basin.state_hash())


def test_the_presets_are_listed_and_each_gives_the_replay_tools_hashes(replay_tool):
    assert ripplemoor.scene_presets() == PRESETS
    for name in PRESETS:
        result = replay(replay_tool, ["--scene=" + name], SCRIPT)
        assert result.returncode == 0, result.stderr
        assert python_hashes(ripplemoor.Basin.from_scene(name)) == result.stdout, name


def odd_basin(seed):
    """A basin of another size and constants with random walls and a mode."""
    random = np.random.default_rng(seed)
    basin = ripplemoor.Basin(int(random.integers(20, 70)), int(random.integers(20, 50)),
                             cell_size=float(random.uniform(0.05, 1.0)),
                             timestep=float(random.uniform(0.01, 0.08)),
                             gravity=float(random.uniform(5, 15)), rest_height=float(random.uniform(0.5, 2)))
    basin.walls[...] = random.random(basin.walls.shape) < 0.1
    basin.reset()
    basin.color_mode = int(random.integers(0, 7))
    return basin


@pytest.mark.parametrize("seed", range(4))
def test_a_saved_basin_reads_back_bit_for_bit_in_python_and_in_the_replay_tool(replay_tool, tmp_path, seed):
    basin = odd_basin(seed)
    path = tmp_path / "saved.toml"
    basin.to_scene(path)
    back = ripplemoor.Basin.from_scene(str(path))
    for name in ("width", "height", "cell_size", "timestep", "gravity", "rest_height", "color_mode"):
        assert getattr(back, name) == getattr(basin, name), name
    assert np.array_equal(back.walls, basin.walls)
    assert back.state_hash() == basin.state_hash()
    # Written again, the same bytes.
    back.to_scene(tmp_path / "again.toml")
    assert (tmp_path / "again.png").read_bytes() == (tmp_path / "saved.png").read_bytes()
    assert ((tmp_path / "again.toml").read_text().replace("again.png", "saved.png")
            == path.read_text())
    result = replay(replay_tool, ["--scene", str(path)], SCRIPT)
    assert result.returncode == 0, result.stderr
    assert python_hashes(basin) == result.stdout


def test_the_scripts_walls_refine_the_scene(replay_tool):
    script = "wall 20 20 25 22\nclear\nwall 100 0 101 159\n" + SCRIPT
    result = replay(replay_tool, ["--scene=two-slits"], script)
    assert result.returncode == 0, result.stderr
    basin = ripplemoor.Basin.from_scene("two-slits")
    basin.walls[...] = False
    basin.walls[:, 100:102] = True
    basin.reset()
    assert python_hashes(basin) == result.stdout


def test_bad_scenes_are_refused_with_their_line_in_both(replay_tool, tmp_path):
    cases = {
        "[basin]\nwidth = 64\n\ncell_size = nan\n": ":4: cell_size must be a finite positive number",
        "[basin]\nwidth = 64\nheight = 4\nlength = 3\n": ":4: unknown key 'length' in [basin]",
        "[walls]\nmask = \"scene.toml\"\n": ":2: the mask",
        "[basin]\nwidth = 100000\nheight = 100000\n": ":1: cannot make the basin",
        "[view]\nmode = 'h'\n[basin": ":3:",
    }
    path = tmp_path / "scene.toml"
    for text, expected in cases.items():
        path.write_text(text)
        result = replay(replay_tool, ["--scene=" + str(path)], "hash\n")
        assert result.returncode == 2, text
        assert result.stdout == ""
        assert result.stderr.startswith("ripplemoor-replay: %s%s" % (path, expected)), result.stderr
        with pytest.raises(ripplemoor.SceneError) as raised:
            ripplemoor.Basin.from_scene(path)
        assert str(raised.value).startswith(str(path) + expected)
        assert isinstance(raised.value, ValueError)
    with pytest.raises(ripplemoor.SceneError, match="no such scene file or preset"):
        ripplemoor.Basin.from_scene("three-slits")
    with pytest.raises(TypeError):
        ripplemoor.Basin.from_scene(3)
    with pytest.raises(ripplemoor.SceneError):
        ripplemoor.Basin(8, 8).to_scene(tmp_path / "no" / "folder.toml")


def test_a_basin_line_after_a_scene_is_an_error_of_its_line(replay_tool, tmp_path):
    script = tmp_path / "script.replay"
    script.write_text("# a comment\nbasin 40 40\nhash\n")
    result = replay(replay_tool, ["--scene=harbour", str(script)], "")
    assert result.returncode == 2
    assert result.stderr == ("ripplemoor-replay: %s:2: 'basin' cannot follow a scene: the scene sets the basin\n"
                             % script)
    assert result.stdout == ""


def test_threads_are_the_callers_choice_and_change_no_bit():
    one = ripplemoor.Basin.from_scene("channel", threads=1)
    three = ripplemoor.Basin.from_scene(pathlib.Path(__file__).parents[2] / "scene" / "presets" / "channel.toml",
                                        threads=3)
    assert (one.threads, three.threads) == (1, 3)
    assert python_hashes(one) == python_hashes(three)
