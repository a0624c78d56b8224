# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The exporter scraped by a real Prometheus server: what Prometheus stores
equals the board file's values. (What the exporter says of failing reads is
test_exporter's.)"""

import json
import os
import shutil
import socket
import subprocess
import sys
import time
import urllib.parse
import urllib.request

import pytest

from conftest import KNOWN_BOARD, SOURCE

PROMETHEUS = shutil.which("prometheus")
pytestmark = pytest.mark.skipif(PROMETHEUS is None, reason="the prometheus package is not installed")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def stored(port, expression, ready=lambda result: True, seconds=40):
    """What Prometheus stores for `expression`, once `ready` says it is there."""
    url = f"http://127.0.0.1:{port}/api/v1/query?" + urllib.parse.urlencode({"query": expression})
    deadline, result = time.monotonic() + seconds, []
    while time.monotonic() < deadline:
        try:
            with urllib.request.urlopen(url, timeout=5) as answer:
                result = json.load(answer)["data"]["result"]
            if ready(result):
                return result
        except OSError:
            pass  # not listening yet
        time.sleep(0.5)
    raise AssertionError(f"{expression}: {result}")


def test_prometheus_stores_the_board(tmp_path):
    (tmp_path / "known.board").write_text(KNOWN_BOARD)
    port, web = free_port(), free_port()
    env = dict(os.environ, ORNSIM_BOARD=str(tmp_path / "known.board"), PYTHONPATH=str(SOURCE / "python"))
    exporter = subprocess.Popen([sys.executable, "-m", "ornsys.exporter", "--port", str(port), "--address",
                                 "127.0.0.1"], env=env, stderr=subprocess.PIPE)
    config = tmp_path / "prometheus.yml"
    config.write_text("global:\n  scrape_interval: 1s\nscrape_configs:\n  - job_name: board\n"
                      f"    static_configs:\n      - targets: ['127.0.0.1:{port}']\n")
    server = subprocess.Popen([PROMETHEUS, f"--config.file={config}", f"--storage.tsdb.path={tmp_path / 'data'}",
                               f"--web.listen-address=127.0.0.1:{web}"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    try:
        temps = stored(web, "ornsys_temperature_celsius", lambda r: len(r) == 2)
        assert {r["metric"]["sensor"]: float(r["value"][1]) for r in temps} == {"CPU": 51.0, "Board": -3.0}
        volts = stored(web, "ornsys_voltage_volts")
        assert {r["metric"]["sensor"]: float(r["value"][1]) for r in volts} == {"3V3": 3.29, "VBAT": 2.95}
        assert [float(r["value"][1]) for r in stored(web, "ornsys_scrape_errors_total")] == [0.0] * 6
        print(f"prometheus: {temps}")
    finally:
        for process in (server, exporter):
            process.terminate()
            process.wait(timeout=10)
