#!/usr/bin/env python3
"""A stand-in results site on 127.0.0.1 for trying the online update by hand.

Serves /lottery/draw/list/4?d=YYYY-01-01 from a history text file: a table with id
"draw_list", a header row, then that year's draws newest first with five-digit issues.

    scripts/results-site.py data/history-2004009-2026174.txt [PORT [SECONDS_PER_PAGE]]
"""
import http.server
import sys
import time
import urllib.parse

history_file = sys.argv[1]
port = int(sys.argv[2]) if len(sys.argv) > 2 else 8765
delay = float(sys.argv[3]) if len(sys.argv) > 3 else 0.0

draws = {}
with open(history_file, encoding="ascii") as f:
    for line in f:
        line = line.strip()
        if len(line) >= 13 and line[:7].isdigit():
            draws.setdefault(int(line[:4]), []).append((int(line[:7]), line[8:13]))


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        url = urllib.parse.urlparse(self.path)
        day = urllib.parse.parse_qs(url.query).get("d", [""])[0]
        if url.path != "/lottery/draw/list/4" or len(day) != 10 or not day[:4].isdigit():
            self.send_error(404)
            return
        time.sleep(delay)
        rows = ["<tr><th>开奖日期</th><th>期号</th><th>开奖号码</th></tr>"]
        for issue, digits in sorted(draws.get(int(day[:4]), []), reverse=True):
            spaced = " ".join(digits)
            rows.append(f"<tr><td>-</td><td>{issue % 100000:05d}</td><td>{spaced}</td></tr>")
        body = ("<html><body><table id=\"draw_list\">" + "".join(rows) +
                "</table></body></html>").encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler).serve_forever()
