#!/usr/bin/env python3
"""A stand-in for both sources of the online update on 127.0.0.1, for trying it by hand.

Serves, from a history text file ("2016001 12345" lines):
  /lottery/draw/list/4?d=YYYY-01-01
      the year's results page: a table with id "draw_list", a header row, then that
      year's draws newest first with five-digit issues;
  /gateway/lottery/getHistoryPageListV1.qry?...&pageSize=S&pageNo=P
      the official paged draw data: {"success": true, "value": {"list": [...], ...}},
      newest draw first.

    scripts/results-site.py data/history-2004009-2026174.txt [--port 8765]
        [--delay SECONDS] [--busy N]

--busy N answers every N-th request for the official data with HTTP 567, as the official
service does when it is asked too often; --delay waits that long before each answer.
"""
import argparse
import http.server
import itertools
import json
import threading
import time
import urllib.parse

parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("history", help="history text file")
parser.add_argument("--port", type=int, default=8765)
parser.add_argument("--delay", type=float, default=0.0, help="seconds before each answer")
parser.add_argument("--busy", type=int, default=0,
                    help="answer every N-th request for the official data with 567")
args = parser.parse_args()

draws = []  # (issue, "12345"), oldest first
with open(args.history, encoding="ascii") as f:
    for line in f:
        line = line.strip()
        if len(line) >= 13 and line[:7].isdigit() and line[8:13].isdigit():
            draws.append((int(line[:7]), line[8:13]))
draws.sort()
newest_first = list(reversed(draws))
counter = itertools.count(1)
counter_lock = threading.Lock()


def results_page(year):
    rows = ["<tr><th>开奖日期</th><th>期号</th><th>开奖号码</th></tr>"]
    for issue, digits in newest_first:
        if issue // 1000 == year:
            spaced = " ".join(digits)
            rows.append(f"<tr><td>-</td><td>{issue % 100000:05d}</td><td>{spaced}</td></tr>")
    return ("<html><body><table id=\"draw_list\">" + "".join(rows) +
            "</table></body></html>").encode("utf-8"), "text/html; charset=utf-8"


def official_page(size, number):
    chunk = newest_first[size * (number - 1):size * number]
    answer = {
        "success": True,
        "errorCode": "0",
        "value": {
            "list": [{"lotteryDrawNum": f"{issue % 100000:05d}",
                      "lotteryDrawResult": " ".join(digits)} for issue, digits in chunk],
            "pageNo": number,
            "pageSize": size,
            "pages": (len(draws) + size - 1) // size,
            "total": len(draws),
        },
    }
    return json.dumps(answer, ensure_ascii=False).encode("utf-8"), "application/json;charset=UTF-8"


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlparse(self.path)
        query = urllib.parse.parse_qs(url.query)
        time.sleep(args.delay)
        if url.path == "/lottery/draw/list/4":
            day = query.get("d", [""])[0]
            if len(day) != 10 or not day[:4].isdigit():
                self.send_error(404)
                return
            body, kind = results_page(int(day[:4]))
        elif url.path == "/gateway/lottery/getHistoryPageListV1.qry":
            if args.busy > 0:
                with counter_lock:
                    n = next(counter)
                if n % args.busy == 0:
                    self.send_error(567, "Too Many Requests")
                    return
            try:
                size = int(query.get("pageSize", ["30"])[0])
                number = int(query.get("pageNo", ["1"])[0])
            except ValueError:
                self.send_error(400)
                return
            if size < 1 or number < 1:
                self.send_error(400)
                return
            body, kind = official_page(size, number)
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler).serve_forever()
