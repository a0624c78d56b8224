# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""ornsys-exporter: the board's identity, sensors, batteries, system state
and watchdog as Prometheus metrics, served on /metrics or written to a file
for node_exporter's textfile collector.

A family the board does not have is left out; a call that fails counts in
ornsys_scrape_errors_total{family} and never ends the exporter.
"""

import argparse
import sys
import time

from prometheus_client import start_http_server, write_to_textfile
from prometheus_client.core import REGISTRY, CollectorRegistry, CounterMetricFamily, GaugeMetricFamily

import ornsys

FAMILIES = ("board", "temperature", "voltage", "battery", "system", "watchdog")
_ABSENT = (ornsys.NotSupported, ornsys.NotPresent)
TEMPERATURE_TYPES = {0: "cpu", 1: "board", 2: "memory", 3: "system"}


class BoardCollector:
    """Reads the board at every scrape, through one open library."""

    def __init__(self, board: ornsys.Board):
        self.board = board
        self.errors = {family: 0 for family in FAMILIES}

    def collect(self):
        metrics = []
        for family in FAMILIES:
            try:
                metrics.extend(getattr(self, "_" + family)())
            except _ABSENT:
                pass  # the board has no such family
            except ornsys.OrnError:
                self.errors[family] += 1
        errors = CounterMetricFamily("ornsys_scrape_errors", "Failed library calls while reading a family",
                                     labels=["family"])
        for family, count in self.errors.items():
            errors.add_metric([family], count)
        yield from metrics
        yield errors

    def _board(self):
        info = self.board.info
        labels = {"platform": info.platform, "serial": info.serial, "bios_version": info.sys_bios_version,
                  "bb_version": info.bb_version, "hw_revision": info.hw_revision}
        board = GaugeMetricFamily("ornsys_board_info", "The board's identity", labels=list(labels))
        board.add_metric(list(labels.values()), 1)
        boots = CounterMetricFamily("ornsys_boot_count", "Boots of the board, as its firmware counts them")
        boots.add_metric([], info.boot_counter)
        optime = GaugeMetricFamily("ornsys_operating_time",
                                   "The board's operating time counter (unit as the firmware keeps it)")
        optime.add_metric([], info.operating_time)
        return [board, boots, optime]

    def _temperature(self):
        gauge = GaugeMetricFamily("ornsys_temperature_celsius", "Temperature sensors", labels=["sensor", "type"])
        for sensor in self.board.temperatures:
            kind = TEMPERATURE_TYPES.get(sensor.type, "oem" if sensor.type >= 0x80 else str(sensor.type))
            value = self._read("temperature", lambda: sensor.value)
            if value is not None:
                gauge.add_metric([sensor.name, kind], value)
        return [gauge]

    def _read(self, family, read):
        """One sensor's value, or None (counted) when its call fails: the
        other sensors of the family stay."""
        try:
            return read()
        except ornsys.OrnError:
            self.errors[family] += 1
            return None

    def _voltage(self):
        # type: the nominal voltage the sensor watches, or "unknown".
        gauge = GaugeMetricFamily("ornsys_voltage_volts", "Voltage sensors", labels=["sensor", "type"])
        for sensor in self.board.voltages:
            nominal = "unknown" if sensor.nominal_mv is None else f"{sensor.nominal_mv / 1000:g}V"
            value = self._read("voltage", lambda: sensor.value)
            if value is not None:
                gauge.add_metric([sensor.name, nominal], value / 1000)
        return [gauge]

    def _battery(self):
        names = {
            "remaining": GaugeMetricFamily("ornsys_battery_remaining_capacity", "Remaining capacity, in unit",
                                           labels=["battery", "unit"]),
            "full": GaugeMetricFamily("ornsys_battery_full_charge_capacity", "Capacity at the last full charge",
                                      labels=["battery", "unit"]),
            "rate": GaugeMetricFamily("ornsys_battery_rate", "Present charge or discharge rate, in unit",
                                      labels=["battery", "unit"]),
            "volts": GaugeMetricFamily("ornsys_battery_voltage_volts", "Present voltage", labels=["battery"]),
            "status": GaugeMetricFamily("ornsys_battery_status", "The battery's status word", labels=["battery"]),
        }
        for battery in self.board.batteries:
            info, state, index = battery.info, battery.state, str(battery.index)
            capacity, rate = ("mAh", "mA") if info.unit_mah else ("mWh", "mW")
            known = lambda value: value != ornsys.BATTERY_UNKNOWN  # noqa: E731
            if known(state.remaining):
                names["remaining"].add_metric([index, capacity], state.remaining)
            if known(info.full_charge_capacity):
                names["full"].add_metric([index, capacity], info.full_charge_capacity)
            if known(state.rate):
                names["rate"].add_metric([index, rate], state.rate)
            if known(state.voltage_mv):
                names["volts"].add_metric([index], state.voltage_mv / 1000)
            names["status"].add_metric([index], state.status)
        return list(names.values())

    def _system(self):
        state = self.board.system
        metrics = []
        for name, value, text in (("docked", state.docked, "The system is docked"),
                                  ("lid_open", state.lid_open, "The lid is open"),
                                  ("ac_connected", state.ac_connected, "Mains power is connected")):
            gauge = GaugeMetricFamily("ornsys_system_" + name, text)
            gauge.add_metric([], int(value))
            metrics.append(gauge)
        return metrics

    def _watchdog(self):
        gauge = GaugeMetricFamily("ornsys_watchdog_last_reset_cause",
                                  "Cause of the last reset: 0 power-on, 1 watchdog timeout")
        gauge.add_metric([], self.board.watchdog.status)
        return [gauge]


def main(argv=None):
    parser = argparse.ArgumentParser(prog="ornsys-exporter", description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=9177, help="port of /metrics (default 9177)")
    parser.add_argument("--address", default="", help="address to listen on (default: all)")
    parser.add_argument("--textfile", help="write the metrics to this file (atomically) instead of serving them")
    parser.add_argument("--interval", type=float, default=0,
                        help="with --textfile: rewrite it every this many seconds (default: once)")
    options = parser.parse_args(argv)
    try:
        board = ornsys.Board().open()
    except ornsys.OrnError as error:
        print(f"ornsys-exporter: the board cannot be opened: {error}", file=sys.stderr)
        return 1
    collector = BoardCollector(board)
    try:
        if options.textfile:
            registry = CollectorRegistry()
            registry.register(collector)
            while True:
                write_to_textfile(options.textfile, registry)  # written aside, then renamed
                if options.interval <= 0:
                    return 0
                time.sleep(options.interval)
        REGISTRY.register(collector)
        start_http_server(options.port, addr=options.address)
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        return 0
    finally:
        board.close()


if __name__ == "__main__":
    sys.exit(main())
