"""The desktop test with the real Orca screen reader: what Orca says when カウント実行 shows a count.

    screen_reader.py orca DRIVER

Orca speaks through a speech-dispatcher of the test's own, started by Orca as usual from the test's
configuration: one output module, speech-dispatcher's generic one, whose command writes each
utterance as a line to a file instead of speaking it, so that no sound card is needed (audio goes
to libao's null driver, which speech-dispatcher opens all the same).
"""

import os
import re
import shutil
import sys
import time

from run import (Driver, Failure, X11Desktop, counted, holds, run_test, skip, start_x11,
                 wait_for)

SPEECHD_CONFIG = """LogLevel 3
LogDir "{home}"
AudioOutputMethod "libao"
AddModule "file" "sd_generic" "file.conf"
DefaultModule file
DefaultLanguage "en"
"""

# speech-dispatcher puts each utterance in $DATA, single quotes in it escaped, in the character set
# of the language asked for (ISO 8859-1 for one it does not know): UTF-8 for each that Orca may ask
# for (Orca 43 asks for "en", Orca 48 for the locale's language, "c" in the test's C.UTF-8).
FILE_MODULE_CONFIG = """GenericExecuteSynth "printf '%s\\\\n' \\'$DATA\\' >> {spoken}"
""" + "".join(f'GenericLanguage "{code}" "{code}" "utf-8"\nAddVoice "{code}" "MALE1" "file"\n'
              for code in ("c", "en", "en-us", "ja"))

# Orca echoes every key by default, and speaks the echo of a key and what the key caused in
# whichever order their events reach it: each utterance interrupts the one before, so the echo of
# Shift can cut off the button the focus moved to, and the echo of Space the count. The test
# listens for what the program makes Orca say, so keys are not echoed. The file is Python that
# Orca runs at start, its own place for a user's settings.
ORCA_CUSTOMIZATIONS = """import orca.settings
orca.settings.enableKeyEcho = False
"""


def start_orca(session):
    if not shutil.which("orca"):
        skip("Orca is not installed (scripts/setup.sh installs it)")
    if not os.path.exists("/usr/lib/speech-dispatcher-modules/sd_generic"):
        skip("speech-dispatcher's generic module is missing (scripts/setup.sh installs it)")
    spoken = session.path("spoken.txt")
    open(spoken, "w").close()
    session.write(".config/speech-dispatcher/speechd.conf", SPEECHD_CONFIG.format(home=session.home))
    session.write(".config/speech-dispatcher/modules/file.conf",
                  FILE_MODULE_CONFIG.format(spoken=spoken))
    session.write(".libao", "default_driver=null\n")
    session.write(".local/share/orca/orca-customizations.py", ORCA_CUSTOMIZATIONS)
    session.env.pop("NO_AT_BRIDGE", None)  # Orca's own window is read through AT-SPI too
    session.start(["orca", "--debug-file", session.path("orca.debug")], "orca")
    speech = Speech(spoken, session.path("orca.debug"))
    speech.wait("Orca to say it is on", lambda line: "screen reader on" in line.lower(), 30)
    return speech


class Speech:
    """What Orca has said: the lines of the file that speech-dispatcher writes."""

    def __init__(self, path, debug):
        self.path, self.debug, self.seen = path, debug, 0

    def lines(self):
        with open(self.path, encoding="utf-8", errors="replace") as f:
            return [line.strip() for line in f]

    def since_mark(self):
        return self.lines()[self.seen:]

    def mark(self):
        self.seen = len(self.lines())

    def wait(self, what, test, timeout=10.0):
        try:
            return wait_for(what, lambda: next((l for l in self.since_mark() if test(l)), None),
                            timeout)
        except Failure:
            raise Failure(f"timed out waiting for {what}; Orca said {self.since_mark()!r}; its debug "
                          f"file on focus and speech ends:\n{self.debug_tail()}")

    def debug_tail(self, count=20):
        """The last lines of Orca's debug file (as far as Orca has written it out) on focus events
        and on speech: what it was sent, what it ignored, what it spoke."""
        try:
            with open(self.debug, encoding="utf-8", errors="replace") as f:
                lines = [line.rstrip() for line in f]
        except OSError as error:
            return f"      (unreadable: {error})"
        found, on_focus = [], False  # on_focus: the event the manager last spoke of is one
        for line in lines:
            if "SPEECH OUTPUT" in line:
                found.append(line)
            elif re.search("EVENT[ _]MANAGER: ", line) and "of focus" not in line:
                if "ignoring" not in line.lower():  # a new event, not a verdict on the last one
                    on_focus = "focus" in line
                if on_focus:
                    found.append(line)
        return "\n".join("      " + line for line in found[-count:])


def says_number(number):
    return lambda line: re.search(rf"(?<![0-9]){number}(?![0-9])", line) is not None


def run_orca(session, driver_path):
    start_x11(session)
    speech = start_orca(session)
    driver = Driver(session, [driver_path, "-platform", "xcb"], {})
    driver.wait("the main window on screen", lambda s: s["exposed"])
    d = X11Desktop(session, driver, "orca")
    results = []
    started = time.monotonic()
    try:
        speech.wait("Orca to read the main window", lambda line: "クオルベル" in line, 20)
        d.click("Text1")
        driver.wait("the focus in the text box", lambda s: s["focus"] == "Text1")
        d.type("abcdefghijklmnopq")
        d.key("Return")
        driver.wait("the typed text", holds("abcdefghijklmnopq\r\n"))
        # Orca may still be reading what was typed: what it says of the button comes after that.
        speech.mark()
        d.key("shift+Tab")
        driver.wait("the focus on カウント実行", lambda s: s["focus"] == "Command1")
        speech.wait("Orca to read カウント実行", lambda line: "カウント実行" in line)
        speech.mark()
        d.key("space")
        driver.wait("the count 17", counted("17"))
        speech.wait("Orca to say the count 17", says_number(17))
        time.sleep(1.5)  # anything more it had to say about the count
        said = speech.since_mark()
        if sum(map(says_number(17), said)) != 1 or any(map(says_number(0), said)):
            raise Failure(f"Orca said {said!r} after Space: want 17 once, and never 0")
        results.append(("the count is spoken once, and not 0", None, time.monotonic() - started))
    except Failure as failure:
        results.append(("the count is spoken once, and not 0", str(failure),
                         time.monotonic() - started))
    return results


def main():
    if len(sys.argv) != 3 or sys.argv[1] != "orca":
        print(__doc__)
        return 2
    driver = os.path.abspath(sys.argv[2])
    return run_test("orca", driver, "", lambda session: run_orca(session, driver))


if __name__ == "__main__":
    sys.exit(main())
