"""A configuration file served by `vexacfg serve` for the workbench's tests."""
import json
import os
import signal
import subprocess
import tempfile
import urllib.error
import urllib.parse
import urllib.request

VEXACFG = os.environ["VEXACFG"]


def vexacfg(*arguments, check=True):
    return subprocess.run([VEXACFG, *arguments], capture_output=True, text=True, check=check)


def make_file(folder, name="flight.cfg", rows=0):
    """A new file with a table Notes of `rows` rows: Name, Count, Comment."""
    path = os.path.join(folder, name)
    vexacfg("create", path)
    statements = ["create table Notes (Name String, Count Int, Comment String )"]
    statements += [f"update Notes set * = n{i:03d}|{(i * 7) % 100}|row {i} where 0" for i in range(rows)]
    subprocess.run([VEXACFG, "query", path, "-", "--save"], input="\n".join(statements), text=True, check=True,
                   capture_output=True)
    os.remove(path + ".Backup")
    return path


class Served:
    """`vexacfg serve` on the given arguments, stopped with Ctrl-C at the end."""

    def __init__(self, *arguments):
        self.process = subprocess.Popen([VEXACFG, "serve", *arguments], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.url = self.process.stdout.readline().strip()
        parts = urllib.parse.urlsplit(self.url)
        self.base = f"{parts.scheme}://{parts.netloc}"
        self.port = parts.port
        self.token = urllib.parse.parse_qs(parts.query)["token"][0]

    def request(self, method, path, body=None, token=True, headers=None):
        """(status, decoded JSON answer)."""
        all_headers = {"X-Vexa-Token": self.token} if token else {}
        all_headers.update(headers or {})
        data = None
        if body is not None:
            data = json.dumps(body).encode()
            all_headers["Content-Type"] = "application/json"
        request = urllib.request.Request(self.base + path, data=data, method=method, headers=all_headers)
        try:
            with urllib.request.urlopen(request, timeout=30) as answer:
                return answer.status, json.loads(answer.read() or b"null")
        except urllib.error.HTTPError as error:
            return error.code, json.loads(error.read() or b"null")

    def get(self, path, **params):
        return self.request("GET", path + ("?" + urllib.parse.urlencode(params) if params else ""))

    def post(self, path, body=None, **options):
        return self.request("POST", path, body if body is not None else {}, **options)

    def stop(self, answer="no"):
        """Ctrl-C, answering the question about unsaved changes; the exit code and the output."""
        self.process.send_signal(signal.SIGINT)
        out, err = self.process.communicate(answer + "\n", timeout=30)
        return self.process.returncode, out, err


def temporary_folder():
    return tempfile.TemporaryDirectory(prefix="vexacfg-workbench-")
