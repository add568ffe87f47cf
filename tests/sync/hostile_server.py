#!/usr/bin/env python3
"""A CardDAV server that misbehaves on purpose, on 127.0.0.1.

The first path part picks the fault: /huge/ (a multistatus of 100 MB),
/malformed/, /entities/ (nested entities), /slow/ (never answers),
/redirect/ (to another host), /elsewhere/ (a principal on another
host), /html/ (a web page, not DAV), /status/NNN/,
/batch500/ (the second multiget fails), /strangers/ (a multiget answer
with cards nobody asked for), /weak/ (a PUT answered with a weak ETag),
/nosync/ (no sync-collection report, a PROPFIND listing instead), /chunked/ (the same in chunks),
/dropping/ (the same, each connection closed after one reply without a word),
/endless/STATUS/ (a reply of that status that never ends, asking for a password on 401 and 407;
/endless/STATUS/chunked/ in chunks).
Asked as a proxy (CONNECT, or a request for a whole URL), it wants a password there without end too.
Prints its port, then serves until killed."""
import socketserver
import sys
import time
from http.server import BaseHTTPRequestHandler, HTTPServer

MS = b'<?xml version="1.0"?>\n<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:carddav">'
END = b'</d:multistatus>'


def card_response(href, etag, name):
    card = ("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:%s\r\nN:%s;;;;\r\nEND:VCARD\r\n" % (name, name)).encode()
    return (b'<d:response><d:href>' + href.encode() + b'</d:href><d:propstat><d:prop><d:getetag>"' +
            etag.encode() + b'"</d:getetag><c:address-data>' + card + b'</c:address-data></d:prop>'
            b'<d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>')


def book_response(href):
    return (b'<d:response><d:href>' + href.encode() + b'</d:href><d:propstat><d:prop><d:resourcetype>'
            b'<d:collection/><c:addressbook/></d:resourcetype><d:displayname>Hostile</d:displayname>'
            b'</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>')


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    multigets = 0

    def log_message(self, *args):
        pass

    def send(self, status, body, ctype="application/xml; charset=utf-8", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        chunked = self.path.startswith("/chunked/")
        self.send_header(*(("Transfer-Encoding", "chunked") if chunked else ("Content-Length", str(len(body)))))
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()
        if chunked:
            # In small pieces, one with an extension, and a trailer after the last.
            for i in range(0, len(body), 7):
                piece = body[i:i + 7]
                self.wfile.write(b"%x%s\r\n" % (len(piece), b";piece=2" if i == 14 else b"") + piece + b"\r\n")
            self.wfile.write(b"0\r\nX-Checked: yes\r\n\r\n")
        else:
            self.wfile.write(body)

    def endless(self, status, chunked=False):
        # A stream with no length and no end, whatever was asked: only the client can stop it.
        self.send_response(status)
        self.send_header("Content-Type", "application/xml")
        if status == 401:
            self.send_header("WWW-Authenticate", 'Basic realm="endless"')
        elif status == 407:
            self.send_header("Proxy-Authenticate", 'Basic realm="endless"')
        self.send_header("Connection", "close")
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        chunk = b"<d:response>" + b"x" * (1 << 20) + b"</d:response>"
        try:
            self.wfile.write(b"%x\r\n%s\r\n" % (len(MS), MS) if chunked else MS)
            while True:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk) if chunked else chunk)
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        fault = self.path.strip("/").split("/")[0]
        if self.command == "CONNECT" or self.path.startswith("http://"):
            self.endless(407)
        elif fault == "huge":
            # Sent without a length, as a stream, so only the client's own cap can stop it.
            self.send_response(207)
            self.send_header("Content-Type", "application/xml")
            self.send_header("Connection", "close")
            self.end_headers()
            one = card_response("/huge/x.vcf", "e", "x" * 900)
            try:
                self.wfile.write(MS)
                for _ in range(100 * 1024 * 1024 // len(one)):
                    self.wfile.write(one)
                self.wfile.write(END)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True
        elif fault == "endless":
            self.endless(int(self.path.split("/")[2]), self.path.rstrip("/").endswith("/chunked"))
        elif fault == "malformed":
            self.send(207, MS + b'<d:response><d:href>/a</d:href><d:propstat></d:response>' + END)
        elif fault == "entities":
            self.send(207, b'<?xml version="1.0"?>\n<!DOCTYPE d:multistatus [<!ENTITY a "aaaaaaaaaa">'
                      b'<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;"><!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">]>'
                      b'<d:multistatus xmlns:d="DAV:"><d:response><d:href>&c;</d:href></d:response>' + END)
        elif fault == "slow":
            time.sleep(30)
        elif fault == "redirect":
            self.send(301, b"", extra=[("Location", "http://elsewhere.invalid/dav/")])
        elif fault == "elsewhere":
            self.send(207, MS + b'<d:response><d:href>/elsewhere/</d:href><d:propstat><d:prop>'
                      b'<d:current-user-principal><d:href>http://elsewhere.invalid/ida/</d:href>'
                      b'</d:current-user-principal></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat>'
                      b'</d:response>' + END)
        elif fault in ("nosync", "chunked", "dropping"):
            # An older server: no sync reports, only PROPFIND with ETags.
            if self.command == "REPORT" and b"sync-collection" in body:
                self.send(501, b"not implemented")
            elif self.command == "PROPFIND":
                self.send(207, MS + book_response("/%s/" % fault) +
                          b'<d:response><d:href>/' + fault.encode() + b'/a.vcf</d:href><d:propstat><d:prop><d:getetag>"a1"'
                          b'</d:getetag><d:resourcetype/></d:prop><d:status>HTTP/1.1 200 OK</d:status>'
                          b'</d:propstat></d:response>' + END)
            else:
                self.send(400, b"unexpected")
            # Each connection dropped after one reply that said nothing of it, as servers do with idle ones.
            self.close_connection = self.close_connection or fault == "dropping"
        elif fault == "weak":
            # Stored, but changed on the way in: the ETag is weak and no base for If-Match.
            self.send(201, b"", extra=[("ETag", 'W/"1"')])
        elif fault == "html":
            self.send(200, b"<html><body>Welcome</body></html>", "text/html")
        elif fault == "status":
            self.send(int(self.path.split("/")[2]), b"no")
        elif fault in ("batch500", "strangers"):
            if self.command == "PROPFIND":
                self.send(207, MS + book_response(self.path) + END)
            elif b"addressbook-multiget" in body:
                Handler.multigets += 1
                if fault == "batch500" and Handler.multigets > 1:
                    self.send(500, b"internal error")
                elif fault == "strangers":
                    self.send(207, MS + card_response("/strangers/a.vcf", "1", "Asked For") +
                              card_response("/elsewhere/planted.vcf", "2", "Planted") + END)
                else:
                    self.send(207, MS + card_response("/batch500/a.vcf", "1", "First Batch") + END)
            else:
                self.send(207, MS + END)
        else:
            self.send(404, b"unknown fault")

    do_GET = do_PROPFIND = do_REPORT = do_PUT = do_DELETE = do_MKCOL = do_CONNECT = handle_any


class Server(socketserver.ThreadingMixIn, HTTPServer):
    daemon_threads = True


if __name__ == "__main__":
    server = Server(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()
