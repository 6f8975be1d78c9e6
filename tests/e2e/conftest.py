import tempfile
from pathlib import Path

import pytest

from harness import App, Engine, clean


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
