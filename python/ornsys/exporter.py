# SPDX-License-Identifier: MIT
# Copyright (c) 2026 The ornsys authors
"""ornsys-exporter: the board's identity, sensors, batteries, system state
and watchdog as Prometheus metrics, served on /metrics or written to a file
for node_exporter's textfile collector.

Metrics are named by Prometheus's conventions: base units (seconds, volts,
amperes, watts, coulombs, joules) as suffixes, `_total` only on counters.
A family the board does not have (its count or first call answers "not
supported" or "not present") is left out; any other failed call counts in
ornsys_scrape_errors_total{family}, the rest of the family stays, and the
exporter goes on.

Scrapes are served one at a time, each within its deadline: what a scrape
has not read when its deadline passes counts as errors, and a scrape that
cannot start within its deadline (another one is stuck) counts an error for
every family, so a mute board service costs neither threads nor memory.
"""

import argparse
import os
import socket
import sys
import threading
import time
from wsgiref.simple_server import WSGIRequestHandler, make_server

from prometheus_client import make_wsgi_app, write_to_textfile
from prometheus_client.core import REGISTRY, CollectorRegistry, CounterMetricFamily, GaugeMetricFamily
from prometheus_client.exposition import ThreadingWSGIServer

import ornsys

FAMILIES = ("board", "temperature", "voltage", "battery", "system", "watchdog")
_ABSENT = (ornsys.NotSupported, ornsys.NotPresent)
TEMPERATURE_TYPES = {0: "cpu", 1: "board", 2: "memory", 3: "system"}
OPERATING_TIME_UNITS = {"hours": 3600, "minutes": 60, "seconds": 1}
# A connection that has not sent its whole request by then is closed.
REQUEST_TIMEOUT = 10
# A scrape reads no further family or item after this many seconds. One
# library call through the board service may take the service client's own
# deadline, which the exporter sets 1 s below this (ORNSYS_SERVICE_TIMEOUT,
# unless given), so that a scrape ends within Prometheus's default 10 s.
SCRAPE_TIMEOUT = 5


class BoardCollector:
    """Reads the board at every scrape, through one open library."""

    def __init__(self, board: ornsys.Board, operating_time_unit: str = "hours",
                 scrape_timeout: float = SCRAPE_TIMEOUT):
        self.board = board
        self.operating_time_seconds = OPERATING_TIME_UNITS[operating_time_unit]
        self.errors = {family: 0 for family in FAMILIES}
        self.scrape_timeout = scrape_timeout
        self._deadline = 0.0
        self._one_scrape = threading.Lock()
        self._counting = threading.Lock()

    def collect(self):
        metrics = []
        if self._one_scrape.acquire(timeout=self.scrape_timeout):
            try:
                self._deadline = time.monotonic() + self.scrape_timeout
                for family in FAMILIES:
                    if self._late(family):
                        continue
                    try:
                        metrics.extend(getattr(self, "_" + family)())
                    except _ABSENT:
                        pass  # the board has no such family
                    except ornsys.OrnError:
                        self._count(family)
            finally:
                self._one_scrape.release()
        else:
            for family in FAMILIES:  # another scrape is stuck past its deadline
                self._count(family)
        yield from metrics
        yield self._errors()

    def _count(self, family):
        with self._counting:
            self.errors[family] += 1

    def _errors(self):
        errors = CounterMetricFamily("ornsys_scrape_errors", "Failed library calls while reading a family",
                                     labels=["family"])
        with self._counting:
            for family, count in self.errors.items():
                errors.add_metric([family], count)
        return errors

    def _late(self, family):
        """Whether the scrape's deadline has passed; if so the family's
        read counts as an error."""
        if time.monotonic() < self._deadline:
            return False
        self._count(family)
        return True

    def _board(self):
        info = self.board.info
        labels = {"platform": info.platform, "serial": info.serial, "bios_version": info.sys_bios_version,
                  "bb_version": info.bb_version, "hw_revision": info.hw_revision}
        board = GaugeMetricFamily("ornsys_board_info", "The board's identity", labels=list(labels))
        board.add_metric(list(labels.values()), 1)
        boots = CounterMetricFamily("ornsys_boots", "Boots of the board, as its firmware counts them")
        boots.add_metric([], info.boot_counter)
        optime = GaugeMetricFamily("ornsys_operating_time_seconds",
                                   "The board's operating time (its counter times --operating-time-unit)")
        optime.add_metric([], info.operating_time * self.operating_time_seconds)
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
        """One item's reading, or None (counted) when its call fails, even
        with "not present": the family is there, so the item should be.
        The other items of the family stay."""
        if self._late(family):
            return None
        try:
            return read()
        except ornsys.OrnError:
            self._count(family)
            return None

    def _voltage(self):
        gauge = GaugeMetricFamily("ornsys_voltage_volts", "Voltage sensors", labels=["sensor"])
        nominal = GaugeMetricFamily("ornsys_voltage_nominal_volts", "The voltage a sensor watches, where known",
                                    labels=["sensor"])
        for sensor in self.board.voltages:
            if sensor.nominal_mv is not None:
                nominal.add_metric([sensor.name], sensor.nominal_mv / 1000)
            value = self._read("voltage", lambda: sensor.value)
            if value is not None:
                gauge.add_metric([sensor.name], value / 1000)
        return [gauge, nominal]

    def _battery(self):
        # A battery counts charge (mAh, mA) or energy (mWh, mW), as its
        # information says: each kind has metrics of its own base unit.
        # 1 mAh = 3.6 C, 1 mWh = 3.6 J.
        gauge = lambda name, text: GaugeMetricFamily(name, text, labels=["battery"])  # noqa: E731
        metrics = {
            ("remaining", True): gauge("ornsys_battery_remaining_charge_coulombs", "Remaining charge"),
            ("remaining", False): gauge("ornsys_battery_remaining_energy_joules", "Remaining energy"),
            ("full", True): gauge("ornsys_battery_full_charge_coulombs", "Charge at the last full charge"),
            ("full", False): gauge("ornsys_battery_full_energy_joules", "Energy at the last full charge"),
            ("rate", True): gauge("ornsys_battery_current_amperes", "Present charge or discharge current"),
            ("rate", False): gauge("ornsys_battery_power_watts", "Present charge or discharge power"),
            ("volts", None): gauge("ornsys_battery_voltage_volts", "Present voltage"),
            ("status", None): gauge("ornsys_battery_status", "The battery's status word"),
        }
        known = lambda value: value != ornsys.BATTERY_UNKNOWN  # noqa: E731
        for battery in self.board.batteries:
            index = [str(battery.index)]
            info = self._read("battery", lambda: battery.info)
            state = self._read("battery", lambda: battery.state)
            if info is not None and known(info.full_charge_capacity):
                metrics["full", info.unit_mah].add_metric(index, info.full_charge_capacity * 3.6)
            if state is None:
                continue
            if info is not None and known(state.remaining):
                metrics["remaining", info.unit_mah].add_metric(index, state.remaining * 3.6)
            if info is not None and known(state.rate):
                metrics["rate", info.unit_mah].add_metric(index, state.rate / 1000)
            if known(state.voltage_mv):
                metrics["volts", None].add_metric(index, state.voltage_mv / 1000)
            metrics["status", None].add_metric(index, state.status)
        return list(metrics.values())

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


class _Handler(WSGIRequestHandler):
    """Closes a connection that sends nothing, or half a request, for
    REQUEST_TIMEOUT seconds; logs nothing."""

    timeout = REQUEST_TIMEOUT

    def log_message(self, format, *args):
        pass


def serve(registry, port, address=None):
    """Serves /metrics in threads of its own; returns the server. Without an
    address: every address, IPv6 and IPv4 where the system has IPv6."""
    candidates = [address] if address else ["::", "0.0.0.0"]
    for index, host in enumerate(candidates):
        class Server(ThreadingWSGIServer):
            address_family = socket.AF_INET6 if ":" in host else socket.AF_INET
        try:
            server = make_server(host, port, make_wsgi_app(registry), Server, handler_class=_Handler)
            break
        except OSError:
            if index == len(candidates) - 1:
                raise
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def main(argv=None):
    parser = argparse.ArgumentParser(prog="ornsys-exporter", description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=9177, help="port of /metrics (default 9177)")
    parser.add_argument("--address", help="address to listen on (default: all, IPv6 and IPv4)")
    parser.add_argument("--textfile", help="write the metrics to this file (atomically) instead of serving them")
    parser.add_argument("--interval", type=float, default=0,
                        help="with --textfile: rewrite it every this many seconds (default: once)")
    parser.add_argument("--operating-time-unit", choices=sorted(OPERATING_TIME_UNITS), default="hours",
                        help="what one step of the board's operating time counter is (default: hours)")
    parser.add_argument("--scrape-timeout", type=float, default=SCRAPE_TIMEOUT,
                        help=f"seconds a scrape may read the board (default {SCRAPE_TIMEOUT})")
    options = parser.parse_args(argv)
    if options.scrape_timeout < 2:
        parser.error("--scrape-timeout must be 2 seconds or more")
    os.environ.setdefault("ORNSYS_SERVICE_TIMEOUT", str(int(options.scrape_timeout) - 1))
    try:
        board = ornsys.Board().open()
    except ornsys.OrnError as error:
        print(f"ornsys-exporter: the board cannot be opened: {error}", file=sys.stderr)
        return 1
    collector = BoardCollector(board, options.operating_time_unit, options.scrape_timeout)
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
        try:
            serve(REGISTRY, options.port, options.address)
        except OSError as error:
            print(f"ornsys-exporter: cannot listen on port {options.port}: {error}", file=sys.stderr)
            return 1
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        return 0
    finally:
        board.close()


if __name__ == "__main__":
    sys.exit(main())
