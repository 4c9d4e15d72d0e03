"""Helpers shared by the tests, the tools and the benchmarks: a private X display
and the real program driven on it (x11), screenshots as Pillow images
(pictures), the solver's physics and wave theory (physics, wave_theory), and the
step written in NumPy (numpy_step).

Scripts in tools/ find this package beside them; everything else gets tools/ on
PYTHONPATH (CTest sets it for the tests)."""
