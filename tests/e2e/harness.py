"""Drives the built application like a person would: through the accessibility tree
(AT-SPI) of its windows, real processes, and a real reference Engine on loopback."""

import json
import os
import shutil
import signal
import socket
import subprocess
import tarfile
import tempfile
import time
import urllib.request
from pathlib import Path

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("PELLORA_BUILD_DIR", ROOT / "build"))
BUNDLE = BUILD / "Pellora.app"
APP = BUNDLE / "Contents" / "MacOS" / "Pellora"
PAYLOAD = BUNDLE / "Contents" / "Resources" / "engine-payload"


def wait_until(predicate, timeout=30.0, interval=0.25, what="condition"):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        last = predicate()
        if last:
            return last
        time.sleep(interval)
    raise AssertionError(f"timed out after {timeout}s waiting for {what} (last: {last!r})")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Engine:
    """A reference Engine installed from the application's own payload."""

    def __init__(self, root: Path):
        self.dir = root / "engine"
        self.port = free_port()
        with tempfile.TemporaryDirectory() as unpack:
            archive = next(PAYLOAD.glob("engine-payload-*.tar.gz"))
            with tarfile.open(archive) as tar:
                tar.extractall(unpack)
            release = next(Path(unpack).iterdir())
            subprocess.run([str(release / "install.sh"), "--dir", str(self.dir), "--no-launchd",
                            "--port", str(self.port)], check=True, capture_output=True,
                           env={**os.environ, "HOME": str(root / "home")})
        with open(self.dir / ".env", "a") as env:
            env.write("PELLORA_TEST_ADMIN=1\n")

    @property
    def url(self):
        return f"http://localhost:{self.port}"

    def tool(self, *args):
        return subprocess.run([str(self.dir / "bin" / "pellora"), *args], capture_output=True,
                              text=True, timeout=30)

    def start(self):
        result = self.tool("start")
        assert result.returncode == 0, result.stderr

    def stop(self):
        self.tool("stop")
        # A tool run the test made hang (start_mode "hang") outlives the application that
        # launched it; everything running from this test's own directory goes.
        subprocess.run(["pkill", "-KILL", "-f", str(self.dir) + "/"], check=False)

    def set_switches(self, **switches):
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}/__pellora_test/switches",
                                         data=json.dumps(switches).encode(), method="PUT",
                                         headers={"Content-Type": "application/json"})
        urllib.request.urlopen(request, timeout=5).read()

    def requests(self):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/__pellora_test/requests",
                                    timeout=5) as response:
            return json.load(response)


class App:
    """The built application, started with its own home directory."""

    def __init__(self, root: Path, engine: Engine):
        self.home = root / "home"
        self.home.mkdir(parents=True, exist_ok=True)
        env = {**os.environ, "HOME": str(self.home), "PELLORA_DIR": str(engine.dir),
               "GTK_A11Y": "atspi", "NO_AT_BRIDGE": "0"}
        self.log = open(root / "app.log", "w")
        self.process = subprocess.Popen([str(APP)], env=env, stdout=self.log, stderr=subprocess.STDOUT)

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def log_text(self):
        if not self.log.closed:
            self.log.flush()
        return Path(self.log.name).read_text(errors="replace")

    # --- Accessibility -------------------------------------------------------------------

    def accessible(self):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            child = desktop.get_child_at_index(i)
            try:
                if child and child.get_process_id() == self.process.pid:
                    return child
            except gi.repository.GLib.Error:
                continue
        return None

    def windows(self):
        app = self.accessible()
        if not app:
            return []
        return [app.get_child_at_index(i) for i in range(app.get_child_count())]

    def window_titles(self):
        return [w.get_name() for w in self.windows() if w]

    def web_document_showing(self):
        """Whether a web document is showing in one of the windows."""
        found = []
        for w in self.windows():
            if w:
                _find_roles(w, (Atspi.Role.DOCUMENT_WEB,), found, 0)
        return bool(found)

    def document_texts(self):
        """Names of the showing elements inside the web documents (headings, paragraphs)."""
        documents = []
        for w in self.windows():
            if w:
                _find_roles(w, (Atspi.Role.DOCUMENT_WEB,), documents, 0)
        texts = []
        for document in documents:
            def visit(element):
                name = element.get_name()
                if name and _showing(element):
                    texts.append(name)
                return True
            _walk(document, visit)
        return texts

    def showing_texts(self, window=None):
        """Names and texts of every showing element of the first window."""
        windows = [window] if window else self.windows()
        texts = []
        for w in windows:
            if w:
                _collect(w, texts, 0)
        return texts


def _walk(node, visit, depth=0):
    """Visits every element below `node` (GTK marks some containers as not showing even
    while their children show, so nothing is pruned on that state). `visit` answers
    whether to descend further."""
    if depth > 40 or node is None:
        return
    try:
        if not visit(node):
            return
        for i in range(node.get_child_count()):
            _walk(node.get_child_at_index(i), visit, depth + 1)
    except Exception:  # elements vanish while the tree is walked
        return


def _showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def _collect(node, texts, depth):
    def visit(element):
        if element.get_role() == Atspi.Role.DOCUMENT_WEB:
            return False  # the Engine page's own content is not the shell's
        name = element.get_name()
        if name and _showing(element):
            texts.append(name)
        return True

    _walk(node, visit, depth)


def _find_roles(node, roles, found, depth):
    def visit(element):
        if element.get_role() in roles:
            if _showing(element):
                found.append(element)
            return False
        return True

    _walk(node, visit, depth)


def screenshot(path: Path):
    subprocess.run(["import", "-window", "root", str(path)], check=False, capture_output=True)


def clean(root: Path):
    shutil.rmtree(root, ignore_errors=True)
