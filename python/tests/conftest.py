import os
import sys

# The tests run on one virtual card with the deterministic clock.
os.environ.setdefault("ZEQLINK_SIM", "1")
os.environ.setdefault("ZEQLINK_SIM_CLOCK", "step")
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
