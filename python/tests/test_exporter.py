# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The exporter's metrics on boards whose values are known, with faults."""

import os
import pathlib

import pytest

pytest.importorskip("prometheus_client", reason="python3-prometheus-client is not installed")

from prometheus_client.core import CollectorRegistry  # noqa: E402
from prometheus_client.exposition import generate_latest  # noqa: E402

import ornsys  # noqa: E402
from ornsys import exporter  # noqa: E402
from conftest import SOURCE  # noqa: E402


@pytest.mark.parametrize("name, base, faults", [
    ("known", None, ""),
    # A failing battery read counts an error, and the rest stays.
    ("battery-info-fails", None, "[fault]\nfunction = 0x63\nstatus = 0x8012"),
    ("battery-state-fails", None, "[fault]\nfunction = 0x64\nstatus = 0x8041"),
    # The families this board does not have are left out, with no error.
    ("bare", "[board]\nplatform = BARE\n", "[fault]\nfunction = 0x61\nstatus = 0x8000"),
])
def test_metrics_written_whole(board_file, tmp_path, name, base, faults):
    """The exposition exactly: names with their unit as a suffix (never a
    label), what the board does not say left out."""
    board_file(faults, **({"base": base} if base else {}))
    target = tmp_path / "ornsys.prom"
    assert exporter.main(["--textfile", str(target)]) == 0
    assert target.read_text() == (SOURCE / "python" / "tests" / f"{name}.prom").read_text()
    assert [p.name for p in tmp_path.iterdir() if p.name.startswith("ornsys.prom")] == ["ornsys.prom"]


def test_a_failing_sensor_counts_at_each_scrape_and_the_rest_stays(board_file):
    """The second scrape's exposition whole: the error counted twice, the
    failing sensor left out, the rest as on the known board."""
    board_file("[fault]\nfunction = 0x53\nindex = 1\nstatus = 0x8012")
    registry = CollectorRegistry()
    with ornsys.Board() as board:
        registry.register(exporter.BoardCollector(board))
        generate_latest(registry)
        second = generate_latest(registry).decode()
    assert second == (SOURCE / "python" / "tests" / "sensor-fails.prom").read_text()


def test_it_serves_with_no_options_and_drops_half_sent_requests(board_file, monkeypatch):
    """The defaults: every address, port 9177."""
    import socket
    import threading
    import urllib.request
    board_file()
    monkeypatch.setattr(exporter._Handler, "timeout", 1)
    monkeypatch.setattr(exporter, "REGISTRY", CollectorRegistry())
    monkeypatch.setattr(exporter.time, "sleep", lambda _: threading.Event().wait())
    threading.Thread(target=exporter.main, args=([],), daemon=True).start()
    for _ in range(100):
        try:
            with urllib.request.urlopen("http://127.0.0.1:9177/metrics", timeout=5) as answer:
                text = answer.read().decode()
            break
        except OSError:
            threading.Event().wait(0.05)
    assert 'ornsys_temperature_celsius{sensor="CPU",type="cpu"} 51.0' in text
    half = socket.create_connection(("127.0.0.1", 9177))
    half.sendall(b"GET /metr")
    half.settimeout(5)
    assert half.recv(100) == b""  # closed by the server after its timeout


def test_a_mute_board_service_costs_scrapes_their_deadline_and_no_threads(tmp_path):
    """The exporter, as its unit runs it, through a board service that
    greets and then never answers: four scrapes at once each end within
    twice the scrape deadline with every family counted once as an error,
    the board is called by one scrape at a time, and no thread stays behind
    them."""
    import socket
    import struct
    import subprocess
    import sys
    import threading
    import time
    import urllib.request

    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(str(tmp_path / "mute.sock"))
    listener.listen(8)
    requests = []

    def mute():  # greets each client, takes its requests, answers none
        while True:
            connection, _ = listener.accept()
            connection.sendall(struct.pack("=8sII", b"ORNSYSD\0", 1, 1))
            while len(header := connection.recv(16, socket.MSG_WAITALL)) == 16:
                requests.append(time.monotonic())
                connection.recv(struct.unpack("=IIII", header)[2], socket.MSG_WAITALL)
            connection.close()

    threading.Thread(target=mute, daemon=True).start()
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
    probe.close()
    env = dict(os.environ, ORNSYS_BACKEND="service", ORNSYS_SERVICE_SOCKET=str(tmp_path / "mute.sock"))
    env.pop("ORNSYS_SERVICE_TIMEOUT", None)  # the exporter sets it, 1 s below its deadline
    server = subprocess.Popen([sys.executable, "-m", "ornsys.exporter", "--address", "127.0.0.1", "--port", str(port),
                               "--scrape-timeout", "2"], env=env)

    def threads():
        status = pathlib.Path(f"/proc/{server.pid}/status").read_text()
        return int(status.split("Threads:")[1].split()[0])

    try:
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                break
            except OSError:
                time.sleep(0.05)
        before = threads()
        answers = []

        def scrape():
            started = time.monotonic()
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=30) as answer:
                answers.append((answer.read().decode(), time.monotonic() - started))

        scrapers = [threading.Thread(target=scrape) for _ in range(4)]
        for scraper in scrapers:
            scraper.start()
        for scraper in scrapers:
            scraper.join()
        assert len(answers) == 4
        for text, took in answers:
            assert took < 2 * 2 + 1.5, took
            assert "ornsys_temperature_celsius" not in text
        scrape()  # one more, after them all
        last = answers[-1][0]
        errors = {line.split('"')[1]: float(line.split()[-1]) for line in last.splitlines()
                  if line.startswith("ornsys_scrape_errors_total{")}
        # Each scrape counted each family once: its call failed, its deadline
        # had passed, or the scrape never began; so did the read the registry
        # makes when the exporter starts.
        assert errors == {family: 6.0 for family in exporter.FAMILIES}
        # At most two calls a scrape reached the board, one scrape at a time:
        # the calls are at least the library's deadline (1 s) apart.
        assert 0 < len(requests) <= 6 * 2
        assert all(b - a >= 0.9 for a, b in zip(requests, requests[1:])), requests
        for _ in range(50):
            if threads() <= before:
                break
            time.sleep(0.1)
        assert threads() <= before
    finally:
        server.kill()
        server.wait()
