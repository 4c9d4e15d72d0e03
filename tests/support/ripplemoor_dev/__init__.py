"""Helpers shared by the tests, the docs' generators and the benchmarks: a private
X display and the real program driven on it (x11), screenshots as Pillow images
(pictures), and the solver's physics measured against wave theory (physics,
wave_theory).

The scripts of docs/tools/ and bench/ put tests/support/ on their path; the
tests get it on PYTHONPATH from CTest."""
