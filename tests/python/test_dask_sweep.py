"""examples/dask_damping_sweep.py on a two-worker LocalCluster of processes
against the same sweep in this process: each basin travels pickled to a worker,
steps there and comes back with the hash it gets here."""

import subprocess
import sys

import pytest

pytest.importorskip("distributed")
from distributed import Client, LocalCluster  # noqa: E402

import dask_damping_sweep as sweep  # noqa: E402  (examples/, on PYTHONPATH)


def test_sweep_on_a_cluster_gives_the_in_process_hashes():
    amplitudes = [1e-3, 4e-3, 1.6e-2]
    settings = dict(mode=16, span=600, size=96)  # small: the hashes matter here, not the physics
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        on_cluster = sweep.sweep(amplitudes, client, **settings)
    here = sweep.sweep(amplitudes, None, **settings)
    assert on_cluster == here
    assert len({digest for _, _, digest in here}) == len(amplitudes)
    # A larger wave dies sooner: the sweep measured something.
    taus = [tau for _, tau, _ in here]
    assert taus[0] > taus[1] > taus[2]


def test_the_module_never_imports_dask():
    code = "import sys, ripplemoor; print(sorted(m for m in sys.modules if m.split('.')[0] in ('dask', 'distributed')))"
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "[]"
