# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The exporter's metrics on boards whose values are known, with faults."""

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
