#!/usr/bin/env python3
"""Hostile HTTP clients against the exporter, on 127.0.0.1 only, every loop bounded.

  http_load.py many PORT [COUNT]   COUNT (1000) connections opened at once, each sending one
                                   GET /metrics: every one must get 200 or 503 within 30 s.
  http_load.py slow PORT [COUNT]   COUNT (50) clients trickle their request headers, a byte at
                                   a time; meanwhile a normal scrape must answer within 1 s.
"""
import asyncio
import sys
import time

HOST = "127.0.0.1"
REQUEST = b"GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"


async def one_request(port):
    reader, writer = await asyncio.open_connection(HOST, port)
    writer.write(REQUEST)
    await writer.drain()
    status_line = await reader.readline()
    await reader.read()   # to the end: the answer must arrive whole
    writer.close()
    return int(status_line.split()[1])


async def within(seconds, coroutine):
    try:
        return await asyncio.wait_for(coroutine, seconds)
    except Exception as error:   # each failure counted by its kind
        return error


async def many(port, count):
    started = time.monotonic()
    results = await asyncio.gather(*(within(30, one_request(port)) for _ in range(count)))
    elapsed = time.monotonic() - started
    statuses = {}
    for result in results:
        key = result if isinstance(result, int) else type(result).__name__
        statuses[key] = statuses.get(key, 0) + 1
    print(f"{count} connections in {elapsed:.1f} s: {statuses}")
    return all(result in (200, 503) for result in results)


async def trickle(port, stop):
    reader, writer = await asyncio.open_connection(HOST, port)
    try:
        for byte in REQUEST[:-2]:
            if stop.is_set():
                break
            writer.write(bytes([byte]))
            await writer.drain()
            await asyncio.sleep(0.2)
    except (ConnectionError, OSError):
        pass   # the server may give up on a client this slow: that is allowed
    writer.close()


async def slow(port, count):
    stop = asyncio.Event()
    clients = [asyncio.ensure_future(trickle(port, stop)) for _ in range(count)]
    await asyncio.sleep(1)   # let every trickling client be connected and waiting
    worst = 0.0
    ok = True
    for _ in range(5):
        started = time.monotonic()
        try:
            status = await asyncio.wait_for(one_request(port), 5)
        except asyncio.TimeoutError:
            status = None
        elapsed = time.monotonic() - started
        worst = max(worst, elapsed)
        ok = ok and status == 200 and elapsed <= 1.0
    stop.set()
    await asyncio.gather(*clients, return_exceptions=True)
    print(f"{count} slow clients; the slowest of 5 normal scrapes took {worst * 1000:.0f} ms")
    return ok


def main():
    mode, port = sys.argv[1], int(sys.argv[2])
    count = int(sys.argv[3]) if len(sys.argv) > 3 else (1000 if mode == "many" else 50)
    ok = asyncio.run(many(port, count) if mode == "many" else slow(port, count))
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
