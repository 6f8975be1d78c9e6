#!/usr/bin/env python3
"""Launch to Engine page: Pellora against a bare WebKitGTK window loading the same URL.

Both programs are started in turn (A B A B ...) against one reference Engine; a run ends
when the Engine sees the page's first own API request ("GET /api/pellora/sessions"), the
first moment both pages have loaded and run their script. In Pellora the marker check
follows within one script evaluation. Prints medians and the median of the pairwise
ratios Pellora / bare window. Target: at most 1.25.

Run under a display (scripts/bench does: xvfb-run + a session bus)."""

import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from harness import APP, BUILD, Engine  # noqa: E402

BARE = BUILD / "bench" / "bare_webkit_window"
RUNS = int(os.environ.get("RUNS", "7"))


def page_request_since(engine, since):
    """Whether the page asked for its sessions after `since` (the Engine's own clock)."""
    return any(r["path"] == "/api/pellora/sessions" and r["at"] > since for r in engine.requests())


def engine_now(engine):
    return engine.requests()[-1]["at"]  # the poll itself is the newest entry


def time_launch(command, env, engine):
    since = engine_now(engine)
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not page_request_since(engine, since):
            if time.monotonic() - started > 60:
                raise RuntimeError(f"{command[0]} never showed the Engine page")
            time.sleep(0.01)
        return time.monotonic() - started
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        time.sleep(0.5)  # let the web process of the closed window go too


def main():
    root = Path(tempfile.mkdtemp(prefix="pellora-bench-"))
    engine = Engine(root)
    engine.start()
    home = root / "home"
    env = {**os.environ, "HOME": str(home), "PELLORA_DIR": str(engine.dir)}
    pellora, bare = [], []
    try:
        time_launch([str(APP)], env, engine)  # warm-up: caches, fonts, the web process
        time_launch([str(BARE), engine.url], env, engine)
        for _ in range(RUNS):
            pellora.append(time_launch([str(APP)], env, engine))
            bare.append(time_launch([str(BARE), engine.url], env, engine))
    finally:
        engine.stop()
    ratios = [a / b for a, b in zip(pellora, bare)]
    print(f"launch to Engine page, {RUNS} pairs")
    print(f"  Pellora        median {statistics.median(pellora):.3f} s  (min {min(pellora):.3f}, max {max(pellora):.3f})")
    print(f"  bare WebKitGTK median {statistics.median(bare):.3f} s  (min {min(bare):.3f}, max {max(bare):.3f})")
    print(f"  ratio Pellora / bare window: median {statistics.median(ratios):.2f} (target <= 1.25)")


if __name__ == "__main__":
    main()
