#!/usr/bin/env python3
"""Prints the benchmark results of one run as a Markdown table with ratios.

Usage: bench/table.py build-bench/bench.json
"""
import json
import sys


def load(path):
    with open(path) as f:
        data = json.load(f)
    times = {}
    for b in data["benchmarks"]:
        # With repetitions, take the median; without, the single run.
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
        times[name] = b["cpu_time"] * scale
    return data.get("context", {}), times


def fmt(ns):
    if ns is None:
        return "-"
    if ns < 1e3:
        return f"{ns:.1f} ns"
    if ns < 1e6:
        return f"{ns / 1e3:.2f} µs"
    if ns < 1e9:
        return f"{ns / 1e6:.2f} ms"
    return f"{ns / 1e9:.2f} s"


# A run filtered to some benchmarks leaves the others' figures out.
def times(ratio):
    return "-" if ratio is None else f"{ratio:.2f}x"


def verdict(measured, met):
    return "-" if measured is None else ("yes" if met else "NO")


def main():
    context, t = load(sys.argv[1])
    print(f"CPU: {context.get('num_cpus', '?')} x {context.get('mhz_per_cpu', '?')} MHz, "
          f"{context.get('date', '')}\n")
    print("| Measure | Evaluator | Hand-written C++ | muparser | Evaluator / hand | "
          "muparser / evaluator | Target | Met |")
    print("|---|---|---|---|---|---|---|---|")
    rows = [
        ("Damage formula, one Value()", "Damage", 1.5, 2.0),
        ("Speed formula, one Value()", "Speed", 1.5, 2.0),
        ("Damage refresh (3 HQ + 108 cells)", "DamageRefresh", 2.5, 2.0),
        ("Speed refresh (201 DEX values)", "SpeedRefresh", 2.5, 2.0),
    ]
    for label, key, hand_limit, mu_factor in rows:
        ev, hand, mu = (t.get(f"{key}_{s}") for s in ("Value", "Hand", "MuParser"))
        to_hand = ev / hand if ev and hand else None
        mu_over = mu / ev if ev and mu else None
        if hand_limit:
            target = f"≤ {hand_limit}x hand, ≥ {mu_factor}x faster than muparser"
            met = (to_hand is not None and to_hand <= hand_limit and mu_over is not None
                   and mu_over >= mu_factor)
        else:
            target = "faster than muparser"
            met = mu_over is not None and mu_over > mu_factor
        print(f"| {label} | {fmt(ev)} | {fmt(hand)} | {fmt(mu)} | "
              f"{times(to_hand)} | {times(mu_over)} | {target} | {verdict(ev, met)} |")

    machine_code(t)

    print("\n| Dice spread | Convolution | Enumeration of S^N outcomes | Enumeration / convolution "
          "| Target | Met |")
    print("|---|---|---|---|---|---|")
    for n, s in ((2, 6), (5, 10), (12, 5), (20, 3)):
        conv = t.get(f"Spread/{n}/{s}/0")
        enum = t.get(f"Spread_Enumeration/{n}/{s}")
        if conv and enum:
            ratio = f"{enum / conv:,.0f}x"
        elif s ** n > 10 ** 9:
            ratio = f"- ({s ** n:.1e} outcomes: skipped)"
        else:
            ratio = "-"
        met = conv is not None and conv < 10e3
        print(f"| {n}d{s} | {fmt(conv)} | {fmt(enum)} | {ratio} | < 10 µs | "
              f"{verdict(conv, met)} |")
    for name, label in (("Spread/60/1000000/0", "60d1000000 (outside the table)"),
                        ("Spread/1000/2/-1470", "1000d2-1470 (outside the table)"),
                        ("Spread/100000/2/-99950", "100000d2-99950 (outside the table)"),
                        ("Spread/91/2050/-65486", "91d2050-65486 (outside the table)"),
                        ("Spread/1000/1000/-500440", "1000d1000-500440 (outside the table)"),
                        ("Spread/201/3/-242", "201d3-242 (outside the table)"),
                        ("Spread/69/67201229/-1029299344",
                         "69d67201229-1029299344 (outside the table)"),
                        ("Spread/41/127682336/-1437433233",
                         "41d127682336-1437433233 (outside the table)")):
        if name in t:
            print(f"| {label} | {fmt(t[name])} | - | - | < 10 µs | "
                  f"{'yes' if t[name] < 10e3 else 'NO'} |")

    load_ns = t.get("LoadTable10k")
    print(f"\nLoading a 10,000-row weapon table from memory: {fmt(load_ns)}.")

    target_ns = 20e6
    print("\n| Ranking 10,000 weapons, sorted by damage per second | Time | Time / target "
          "| Target | Met |")
    print("|---|---|---|---|---|")
    for key, label in (("RankTable10k/SharedDice", "40 sets of dice, as tables share them"),
                       ("RankTable10k/DistinctDice", "every weapon its own dice (worst case)")):
        ns = t.get(key)
        ratio = times(ns / target_ns if ns else None)
        met = ns is not None and ns < target_ns
        print(f"| {label} | {fmt(ns)} | {ratio} | < 20 ms | {verdict(ns, met)} |")

    # Comparing setups, against what one weapon click computes.
    click = t.get("Click")
    print("\n| Comparing setups | Time | Against | Ratio | Target | Met |")
    print("|---|---|---|---|---|---|")
    for count, label in ((6, "Compare page: 6 full setups (the pins)"),
                         (7, "Compare page: 6 pins and the current setup")):
        compare = t.get(f"Compare/{count}")
        ratio = compare / click if compare and click else None
        print(f"| {label}, every figure | {fmt(compare)} | one weapon click, {fmt(click)} "
              f"| {times(ratio)} | ≤ 3x a click "
              f"| {verdict(compare, ratio is not None and ratio <= 3)} |")
    for key, label, limit in (("Sweep6x251", "Sweep: 6 setups over 251 values", 5e6),
                              ("Gains", "Stat gains of one setup", 1e6)):
        ns = t.get(key)
        print(f"| {label} | {fmt(ns)} | - | - | < {fmt(limit)} "
              f"| {verdict(ns, ns is not None and ns < limit)} |")


def machine_code(t):
    """The machine code against the interpreter, its making, and batches."""
    print("\n| Formula | Machine code | Interpreted | Interpreted / machine code "
          "| Compiled with code | Compiled without | Target | Met |")
    print("|---|---|---|---|---|---|---|---|")
    for label, key in (("Damage", "Damage"), ("Speed", "Speed")):
        native, interpreted = t.get(f"{key}_Value"), t.get(f"{key}_Interpreted")
        compiled, bare = t.get(f"Compile/{key}"), t.get(f"Compile/{key}Interpreted")
        ratio = times(interpreted / native if native and interpreted else None)
        met = compiled is not None and compiled < 100e3
        print(f"| {label} | {fmt(native)} | {fmt(interpreted)} | {ratio} | {fmt(compiled)} | "
              f"{fmt(bare)} | compiled in < 100 µs | {verdict(compiled, met)} |")
    kernels, rows = t.get("DamageBatch/Kernels"), t.get("DamageBatch/MachineCodeRows")
    print(f"\n256 damage rows: the batch kernels {fmt(kernels)}, machine code row by row "
          f"{fmt(rows)} ({times(rows / kernels if kernels and rows else None)} of the kernels).")


if __name__ == "__main__":
    main()
