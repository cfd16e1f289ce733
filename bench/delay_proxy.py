#!/usr/bin/python3
"""An FTP-aware relay that adds a round-trip time, for the latency benchmark.

Usage: delay_proxy.py --upstream-port PORT --rtt-ms MS

Binds 127.0.0.1 on a free port and prints that port as its first line. Every byte between
client and server, on the control connection and on passive data connections alike, arrives
half the round-trip time after it was sent, in order, as on a long link with plenty of
bandwidth. Passive replies (227 and 229) are rewritten so that data connections come through
the relay too; clients must use passive mode.
"""

import argparse
import asyncio
import re
import sys

PASV = re.compile(rb"^227 .*?\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\)")
EPSV = re.compile(rb"^229 .*?\(\|\|\|(\d+)\|\)")


async def pump(reader, writer, delay, rewrite=None):
    """Copies reader to writer, each piece delivered `delay` seconds after it was read."""
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await queue.get()
            if data is None:
                break
            await asyncio.sleep(max(0.0, due - loop.time()))
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.create_task(deliver())
    try:
        while True:
            data = await (reader.readline() if rewrite else reader.read(65536))
            if not data:
                break
            if rewrite:
                data = await rewrite(data)
            await queue.put((loop.time() + delay, data))
    except (ConnectionError, asyncio.IncompleteReadError):
        pass
    await queue.put((0, None))
    try:
        await sender
    except ConnectionError:
        pass


async def relay(client_reader, client_writer, port, delay, rewrite=None):
    """Relays one connection to the server's `port`, the server's lines passed by `rewrite`."""
    try:
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", port)
    except OSError:
        client_writer.close()
        return
    await asyncio.gather(pump(client_reader, server_writer, delay),
                         pump(server_reader, client_writer, delay, rewrite))


async def data_relay(upstream_port, delay):
    """A one-connection listener in front of the server's passive port; returns its port."""

    async def accepted(reader, writer):
        listener.close()
        await relay(reader, writer, upstream_port, delay)

    listener = await asyncio.start_server(accepted, "127.0.0.1", 0)
    return listener.sockets[0].getsockname()[1]


async def control(client_reader, client_writer, upstream_port, delay):
    async def rewrite(line):
        pasv = PASV.match(line)
        if pasv:
            port = await data_relay(int(pasv.group(5)) * 256 + int(pasv.group(6)), delay)
            return b"227 Entering Passive Mode (127,0,0,1,%d,%d).\r\n" % (port // 256, port % 256)
        epsv = EPSV.match(line)
        if epsv:
            port = await data_relay(int(epsv.group(1)), delay)
            return b"229 Entering Extended Passive Mode (|||%d|).\r\n" % port
        return line

    await relay(client_reader, client_writer, upstream_port, delay, rewrite)


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--upstream-port", type=int, required=True)
    parser.add_argument("--rtt-ms", type=float, required=True)
    options = parser.parse_args()
    delay = options.rtt_ms / 2000.0
    server = await asyncio.start_server(
        lambda r, w: control(r, w, options.upstream_port, delay), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        sys.exit(0)
