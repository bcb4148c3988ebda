#!/usr/bin/env python3
"""Each command of a hyperfine JSON export against the first: median wall time and CPU time.

  ratios.py FIGURES.json
"""
import json
import sys

results = json.load(open(sys.argv[1]))["results"]
floor = results[0]
floor_cpu = floor["user"] + floor["system"]
for result in results:
    cpu = result["user"] + result["system"]
    print("%-40s median %6.1f ms (%.2fx)   CPU %6.1f ms (%.2fx)"
          % (result["command"], result["median"] * 1e3, result["median"] / floor["median"],
             cpu * 1e3, cpu / floor_cpu))
