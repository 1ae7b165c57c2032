"""The README as a user meets it: every command block runs as written and prints
what the README shows, and its Python examples type-check against the stub."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
README = (ROOT / "README.md").read_text()
# The build folder, from the tool the build made (ctest names it).
BUILD = pathlib.Path(os.environ["VEXACFG"]).resolve().parents[1] if "VEXACFG" in os.environ else ROOT / "build"


def indented_blocks(text):
    """The indented code blocks of a Markdown text, each as its lines without the indent."""
    blocks, current = [], []
    for line in text.split("\n") + [""]:
        if line.startswith("    ") or (current and line == ""):
            current.append(line[4:])
        elif current:
            while current and current[-1] == "":
                current.pop()
            blocks.append(current)
            current = []
    return blocks


def command_steps(block):
    """(command, expected output) for each "$ " line of a block; a line ending in
    a backslash goes on on the next, and a here-document (<<'EOF') takes the lines
    up to its EOF into the command."""
    steps, i = [], 0
    while i < len(block):
        command = block[i][2:]
        i += 1
        while command.endswith("\\"):
            command += "\n" + block[i]
            i += 1
        if command.endswith("<<'EOF'"):
            while block[i] != "EOF":
                command += "\n" + block[i]
                i += 1
            command += "\nEOF"
            i += 1
        output = []
        while i < len(block) and not block[i].startswith("$ "):
            output.append(block[i])
            i += 1
        steps.append((command, "\n".join(output).rstrip("\n")))
    return steps


def python_examples(text):
    """The fenced Python blocks, each with the file name its first line gives ("# first.py")."""
    examples = []
    for piece in text.split("```python\n")[1:]:
        code = piece.split("```", 1)[0]
        examples.append((code.split("\n", 1)[0].lstrip("# ").strip(), code))
    return examples


class Readme(unittest.TestCase):
    def test_every_command_block_prints_what_the_readme_shows(self):
        blocks = [command_steps(b) for b in indented_blocks(README) if b and b[0].startswith("$ ")]
        self.assertGreater(len(blocks), 3)
        with tempfile.TemporaryDirectory() as folder:
            os.symlink(BUILD, os.path.join(folder, "build"))
            for name, code in python_examples(README):
                pathlib.Path(folder, name).write_text(code)
            environment = dict(os.environ, PATH=f"{BUILD / 'tools'}{os.pathsep}{os.environ['PATH']}", HOME=folder)
            for block in blocks:
                for command, expected in block:
                    run = subprocess.run(["bash", "-c", command], cwd=folder, env=environment, capture_output=True,
                                         text=True)
                    printed = (run.stdout + run.stderr).replace("\r\n", "\n").rstrip("\n")
                    self.assertEqual(printed, expected, f"$ {command}")

    def test_the_stub_and_the_readme_examples_pass_mypy_strict(self):
        mypy = [shutil.which("mypy")] if shutil.which("mypy") else [sys.executable, "-m", "mypy"]
        with tempfile.TemporaryDirectory() as folder:
            files = [str(ROOT / "python" / "vexaconfig.pyi")]
            for name, code in python_examples(README):
                files.append(os.path.join(folder, name))
                pathlib.Path(files[-1]).write_text(code)
            run = subprocess.run(mypy + ["--strict", "--cache-dir", os.path.join(folder, "cache"), *files],
                                 env=dict(os.environ, MYPYPATH=str(ROOT / "python")), capture_output=True, text=True)
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)


if __name__ == "__main__":
    unittest.main()
