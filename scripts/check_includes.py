#!/usr/bin/env python3
"""Checks which folder of the portable core may include which.

The layers, from the bottom:
  base/        small helpers everybody may use; includes nothing of the program
  ui/          the form kit; knows nothing above it
  engine/, audio/, controls/, persistence/
               the subsystems; engine/ and audio/ know nothing of persistence/ or shell/
  shell/       the main window and the program around it

The main window's handlers are methods of the one form class declared in shell/, but live with
their subsystem; those files are named *_form.cpp and are the only files of engine/, audio/,
controls/ and persistence/ that may include shell/. A header is never a handler file, so that a
file that includes a subsystem's header stays free of shell/. Nothing of the portable core
includes platform/.

Usage: check_includes.py SRC_DIR     checks the tree, names each breach and its rule
       check_includes.py --self-test  runs the rule table on made-up files
"""

import os
import re
import sys

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', re.MULTILINE)

CORE = ("base", "ui", "engine", "audio", "controls", "persistence", "shell")
SUBSYSTEMS = ("engine", "audio", "controls", "persistence")

RULE_PLATFORM = "the portable core includes nothing of platform/"
RULE_BASE = "base/ includes nothing of the program above it"
RULE_UI = "ui/ knows nothing above it (it may include ui/ and base/ only)"
RULE_ENGINE_AUDIO = "engine/ and audio/ know nothing of persistence/ or shell/"
RULE_SHELL = ("only the form's handler files (*_form.cpp) of engine/, audio/, controls/ and "
              "persistence/ may include shell/")


def is_form_file(path):
    return path.endswith("_form.cpp")


def breach(path, target):
    """The rule that `path` (relative to src/) breaks by including `target`, or None."""
    folder = path.split("/", 1)[0]
    to = target.split("/", 1)[0] if "/" in target else folder
    if folder not in CORE:
        return None
    if to == "platform":
        return RULE_PLATFORM
    if folder == "base":
        return RULE_BASE if to != "base" else None
    if folder == "ui":
        return RULE_UI if to not in ("ui", "base") else None
    if folder in SUBSYSTEMS and not is_form_file(path):
        if folder in ("engine", "audio") and to in ("persistence", "shell"):
            return RULE_ENGINE_AUDIO
        if to == "shell":
            return RULE_SHELL
    return None


def resolve(src_dir, path, target):
    """The included file relative to src/: beside the includer when it is there, else as
    written (the core's include root is src/)."""
    beside = os.path.normpath(os.path.join(os.path.dirname(path), target))
    if not beside.startswith("..") and os.path.exists(os.path.join(src_dir, beside)):
        return beside.replace(os.sep, "/")
    return os.path.normpath(target).replace(os.sep, "/")


def check_tree(src_dir):
    breaches = []
    for folder in CORE:
        root = os.path.join(src_dir, folder)
        for dirpath, _, names in os.walk(root):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                full = os.path.join(dirpath, name)
                path = os.path.relpath(full, src_dir).replace(os.sep, "/")
                with open(full, encoding="utf-8") as f:
                    text = f.read()
                for match in INCLUDE.finditer(text):
                    target = resolve(src_dir, path, match.group(1))
                    rule = breach(path, target)
                    if rule:
                        line = text.count("\n", 0, match.start()) + 1
                        breaches.append(f'src/{path}:{line}: includes "{match.group(1)}": {rule}')
    return breaches


# (includer, included, the rule broken or None)
CASES = [
    ("audio/audio_io.cpp", "shell/generator_form.h", RULE_ENGINE_AUDIO),
    ("audio/wave_out.h", "persistence/registry.h", RULE_ENGINE_AUDIO),
    ("engine/signal_engine.cpp", "shell/platform.h", RULE_ENGINE_AUDIO),
    ("engine/signal_engine.cpp", "controls/numeric_entry.h", None),
    ("engine/signal_engine.cpp", "base/rounding.h", None),
    ("engine/playback_form.cpp", "shell/generator_form.h", None),
    ("engine/playback_form.cpp", "persistence/settings_store.h", None),
    ("audio/output_settings_form.cpp", "persistence/settings_store.h", None),
    ("audio/output_settings_form.h", "shell/generator_form.h", RULE_ENGINE_AUDIO),
    ("audio/output_form_settings.cpp", "shell/generator_form.h", RULE_ENGINE_AUDIO),
    ("controls/numeric_entry.cpp", "shell/generator_form.h", RULE_SHELL),
    ("controls/notices.h", "persistence/registry.h", None),
    ("controls/numeric_entry_form.cpp", "shell/generator_form.h", None),
    ("persistence/settings_store.cpp", "shell/layouts.h", RULE_SHELL),
    ("persistence/settings_store_form.cpp", "shell/generator_form.h", None),
    ("persistence/reg_file.cpp", "controls/notices.h", None),
    ("ui/form.cpp", "ui/application.h", None),
    ("ui/edit.cpp", "base/rounding.h", None),
    ("ui/form.cpp", "controls/notices.h", RULE_UI),
    ("ui/form.cpp", "shell/generator_form.h", RULE_UI),
    ("ui/form_view.cpp", "engine/sine.h", RULE_UI),
    ("base/rounding.cpp", "base/rounding.h", None),
    ("base/rounding.cpp", "ui/types.h", RULE_BASE),
    ("shell/startup.cpp", "platform/portable/wav_file_wave_out.h", RULE_PLATFORM),
    ("engine/playback_form.cpp", "platform/alsa/alsa_wave_out.h", RULE_PLATFORM),
    ("shell/generator_form.cpp", "controls/notices.h", None),
    ("platform/qt/form_view.cpp", "shell/generator_form.h", None),
]


def self_test():
    failures = 0
    for path, target, expected in CASES:
        got = breach(path, target)
        if got != expected:
            failures += 1
            print(f"{path} including {target}: expected {expected!r}, got {got!r}")
    print(f"{len(CASES) - failures} of {len(CASES)} cases as expected")
    return 1 if failures else 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    breaches = check_tree(argv[1])
    for line in breaches:
        print(line)
    if breaches:
        print(f"{len(breaches)} include(s) break the layering rules", file=sys.stderr)
        return 1
    print("every include of the portable core keeps the layering rules")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
