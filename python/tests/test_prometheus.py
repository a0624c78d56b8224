# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The exporter scraped by a real Prometheus server: what Prometheus stores
equals the board file's values, and a failing sensor raises the error
counter while the other metrics stay."""

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


def start_exporter(tmp_path, name, board_text):
    board = tmp_path / f"{name}.board"
    board.write_text(board_text)
    port = free_port()
    env = dict(os.environ, ORNSIM_BOARD=str(board), PYTHONPATH=str(SOURCE / "python"))
    process = subprocess.Popen([sys.executable, "-m", "ornsys.exporter", "--port", str(port), "--address",
                                "127.0.0.1"], env=env, stderr=subprocess.PIPE)
    return process, port


def query(port, expression):
    url = f"http://127.0.0.1:{port}/api/v1/query?" + urllib.parse.urlencode({"query": expression})
    with urllib.request.urlopen(url, timeout=5) as answer:
        return json.load(answer)["data"]["result"]


def wait_for(port, expression, ready, seconds=40):
    deadline = time.monotonic() + seconds
    result = []
    while time.monotonic() < deadline:
        try:
            result = query(port, expression)
            if ready(result):
                return result
        except OSError:
            pass  # not listening yet
        time.sleep(0.5)
    raise AssertionError(f"{expression}: {result}")


def test_prometheus_stores_the_board_and_counts_a_failing_sensor(tmp_path):
    processes = []
    try:
        good, good_port = start_exporter(tmp_path, "good", KNOWN_BOARD)
        bad, bad_port = start_exporter(tmp_path, "bad", KNOWN_BOARD + "[fault]\nfunction = 0x53\nindex = 1\n"
                                       "status = 0x8012\n")
        processes += [good, bad]
        config = tmp_path / "prometheus.yml"
        config.write_text(
            "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
            "scrape_configs:\n"
            f"  - job_name: good\n    static_configs:\n      - targets: ['127.0.0.1:{good_port}']\n"
            f"  - job_name: bad\n    static_configs:\n      - targets: ['127.0.0.1:{bad_port}']\n")
        web = free_port()
        server = subprocess.Popen([PROMETHEUS, f"--config.file={config}", f"--storage.tsdb.path={tmp_path / 'data'}",
                                   f"--web.listen-address=127.0.0.1:{web}"], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        processes.append(server)

        temps = wait_for(web, 'ornsys_temperature_celsius{job="good"}', lambda r: len(r) == 2)
        assert {r["metric"]["sensor"]: float(r["value"][1]) for r in temps} == {"CPU": 51.0, "Board": -3.0}
        volts = query(web, 'ornsys_voltage_volts{job="good"}')
        assert {r["metric"]["sensor"]: float(r["value"][1]) for r in volts} == {"3V3": 3.29, "VBAT": 2.95}

        errors = wait_for(web, 'ornsys_scrape_errors_total{job="bad",family="temperature"}',
                          lambda r: r and float(r[0]["value"][1]) >= 3)
        later = wait_for(web, 'ornsys_scrape_errors_total{job="bad",family="temperature"}',
                         lambda r: r and float(r[0]["value"][1]) > float(errors[0]["value"][1]))
        assert float(later[0]["value"][1]) > float(errors[0]["value"][1])
        bad_temps = query(web, 'ornsys_temperature_celsius{job="bad"}')
        assert {r["metric"]["sensor"]: float(r["value"][1]) for r in bad_temps} == {"CPU": 51.0}
        assert len(query(web, 'ornsys_voltage_volts{job="bad"}')) == 2
        print(f"prometheus: {temps} / errors {later}")
    finally:
        for process in processes:
            process.terminate()
        for process in processes:
            process.wait(timeout=10)
