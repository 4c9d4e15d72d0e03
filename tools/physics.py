#!/usr/bin/python3
"""Measures the solver's physics against theory and writes docs/physics.md with
its figures (ripplemoor_dev.physics does the work):

    PYTHONPATH=build/python /usr/bin/python3 tools/physics.py [--docs DOCS]
"""

from ripplemoor_dev.physics import main

if __name__ == "__main__":
    main()
