# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""The exporter's metrics on boards whose values are known, with faults."""

import pytest

pytest.importorskip("prometheus_client", reason="python3-prometheus-client is not installed")

from prometheus_client.core import CollectorRegistry  # noqa: E402
from prometheus_client.exposition import generate_latest  # noqa: E402
from prometheus_client.parser import text_string_to_metric_families  # noqa: E402

import ornsys  # noqa: E402
from ornsys import exporter  # noqa: E402


def scrape(collector):
    registry = CollectorRegistry()
    registry.register(collector)
    samples = {}
    for family in text_string_to_metric_families(generate_latest(registry).decode()):
        for s in family.samples:
            samples[(s.name, tuple(sorted(s.labels.items())))] = s.value
    return samples


def value(samples, name, **labels):
    return samples.get((name, tuple(sorted(labels.items()))))


def test_metrics_of_a_known_board(board):
    s = scrape(exporter.BoardCollector(board))
    assert value(s, "ornsys_board_info", platform="PY-BOARD", serial="SN-42", bios_version="BIOS 1.2",
                 bb_version="BB 9", hw_revision="R3") == 1
    assert value(s, "ornsys_boot_count_total") == 17
    assert value(s, "ornsys_operating_time") == 1234
    assert value(s, "ornsys_temperature_celsius", sensor="CPU", type="cpu") == 51
    assert value(s, "ornsys_temperature_celsius", sensor="Board", type="board") == -3
    assert value(s, "ornsys_voltage_volts", sensor="3V3", type="3.3V") == pytest.approx(3.29)
    assert value(s, "ornsys_voltage_volts", sensor="VBAT", type="unknown") == pytest.approx(2.95)
    assert value(s, "ornsys_battery_remaining_capacity", battery="0", unit="mAh") == 3000
    assert value(s, "ornsys_battery_rate", battery="0", unit="mA") == 250
    assert value(s, "ornsys_battery_voltage_volts", battery="0") is None  # the battery does not say
    assert (value(s, "ornsys_system_docked"), value(s, "ornsys_system_ac_connected")) == (1, 0)
    assert value(s, "ornsys_watchdog_last_reset_cause") == 1
    assert all(value(s, "ornsys_scrape_errors_total", family=f) == 0 for f in exporter.FAMILIES)


def test_a_failing_sensor_counts_and_the_rest_stays(board_file):
    board_file("[fault]\nfunction = 0x53\nindex = 1\nstatus = 0x8012")
    with ornsys.Board() as board:
        collector = exporter.BoardCollector(board)
        scrape(collector)
        s = scrape(collector)
    assert value(s, "ornsys_scrape_errors_total", family="temperature") == 2
    assert value(s, "ornsys_temperature_celsius", sensor="CPU", type="cpu") == 51
    assert value(s, "ornsys_temperature_celsius", sensor="Board", type="board") is None
    assert value(s, "ornsys_voltage_volts", sensor="3V3", type="3.3V") == pytest.approx(3.29)


def test_absent_families_are_left_out(board_file):
    board_file("[fault]\nfunction = 0x61\nstatus = 0x8000", base="[board]\nplatform = BARE\n")
    with ornsys.Board() as board:
        s = scrape(exporter.BoardCollector(board))
    names = {name for name, _ in s}
    assert not any(n.startswith(("ornsys_battery", "ornsys_system", "ornsys_temperature")) for n in names)
    assert all(value(s, "ornsys_scrape_errors_total", family=f) == 0 for f in exporter.FAMILIES)


def test_textfile_is_written_whole(board_file, tmp_path):
    board_file()
    target = tmp_path / "ornsys.prom"
    assert exporter.main(["--textfile", str(target)]) == 0
    text = target.read_text()
    assert 'ornsys_temperature_celsius{sensor="CPU",type="cpu"} 51.0' in text
    assert [p.name for p in tmp_path.iterdir() if p.name.startswith("ornsys.prom")] == ["ornsys.prom"]
