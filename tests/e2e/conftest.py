import tempfile
from pathlib import Path

import pytest

from harness import App, Atspi, Engine, clean


@pytest.fixture(scope="session", autouse=True)
def accessibility_registry():
    """Starts the accessibility registry before the first application, so that the first
    application registers with it like every later one."""
    Atspi.get_desktop(0).get_child_count()


@pytest.fixture
def workdir():
    root = Path(tempfile.mkdtemp(prefix="pellora-e2e-"))
    yield root
    clean(root)


@pytest.fixture
def engine(workdir):
    engine = Engine(workdir)
    yield engine
    engine.stop()


@pytest.fixture
def launch(workdir, engine):
    apps = []

    def start():
        app = App(workdir, engine)
        apps.append(app)
        return app

    yield start
    for app in apps:
        app.close()
        # Shown by pytest only when the test failed.
        print(f"--- application log ({app.process.args[0]}) ---")
        print(app.log_text()[-4000:])
