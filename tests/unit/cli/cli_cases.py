#!/usr/bin/python3
"""The command-line tool as an operator runs it: a real aqlremote-cli process against a real
aqlsim process (with its faults), a port that refuses, or a listener that never accepts. Each case
arranges files, runs the tool, and checks its exit status, what it said and what it left on disk.

usage: cli_cases.py CLI SIM OUTPUT_FOLDER --list
       cli_cases.py CLI SIM OUTPUT_FOLDER CASE
"""
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time

CLI, SIM, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
OLD = b"old content the operator had\r\n"


class Failure(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Failure(what)


class Sim:
    """aqlsim on a free port, stopped when the case ends."""

    def __init__(self, *args):
        self.proc = subprocess.Popen([SIM, "--port", "0", *args], stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True)
        line = self.proc.stdout.readline()
        match = re.search(r"listening on [0-9.]+:([0-9]+)", line)
        if not match:
            self.proc.kill()
            raise Failure("aqlsim did not start: " + line)
        self.port = match.group(1)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


class NeverAccepts:
    """A port whose listener's queue is full: a connect neither succeeds nor is refused."""

    def __init__(self):
        self.server = socket.socket()
        self.server.bind(("127.0.0.1", 0))
        self.server.listen(0)
        self.port = str(self.server.getsockname()[1])
        self.fill = []
        for _ in range(3):
            c = socket.socket()
            c.setblocking(False)
            try:
                c.connect(("127.0.0.1", int(self.port)))
            except BlockingIOError:
                pass
            self.fill.append(c)

    def stop(self):
        for c in self.fill:
            c.close()
        self.server.close()


def closed_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return str(port)


def run(*args, cli=CLI, timeout=60):
    started = time.monotonic()
    proc = subprocess.run([cli, *args], capture_output=True, timeout=timeout)
    return proc.returncode, proc.stdout, proc.stderr.decode("utf-8", "replace"), \
        time.monotonic() - started


def path(name):
    return os.path.join(OUT, name)


def put(name, data=OLD):
    with open(path(name), "wb") as f:
        f.write(data)


def read(name):
    with open(path(name), "rb") as f:
        return f.read()


def csv_records(name):
    lines = read(name).split(b"\r\n")
    expect(lines[0].startswith(b'"Record Type"'), name + " has no header line")
    return [l for l in lines[1:] if l]


def unchanged(name):
    expect(read(name) == OLD, name + " was changed")


def absent(name):
    expect(not os.path.lexists(path(name)), name + " was created")


def said(err, pattern, count=None):
    found = re.findall(pattern, err)
    expect(found, "stderr lacks /" + pattern + "/:\n" + err)
    if count is not None:
        expect(len(found) == count, "/%s/ said %d times, not %d:\n%s" % (pattern, len(found),
                                                                         count, err))


def status(rc, wanted, err):
    expect(rc == wanted, "exit status %d, not %d:\n%s" % (rc, wanted, err))


# --- the cases -------------------------------------------------------------------------------

def complete_log_in_every_format():
    sim = Sim("--records", "120", "--log-rate", "5000", "--seed", "5")
    try:
        rc, _, err, _ = run("download", "--host", "127.0.0.1", "--port", sim.port, "--idle", "1",
                            "--csv", path("log.csv"), "--xml", path("log.xml"),
                            "--xlsx", path("log.xlsx"), "--site", "Zwembad Caf\u00e9",
                            "--pool", "Bad \u0141\u00f3d\u017a \u20ac")
    finally:
        sim.stop()
    status(rc, 0, err)
    expect("Error #" not in err and "error" not in err, "a success that speaks of errors:\n" + err)
    records = csv_records("log.csv")
    expect(len(records) == 120, "%d records in the CSV" % len(records))
    numbers = [int(r.split(b",")[2]) for r in records]
    expect(numbers == list(range(1, 121)), "records out of order")
    xml = read("log.xml")
    expect(xml.count(b"<dbRecord>") == 120, "XML record count")
    # Latin-1 bytes under the Latin-1 declaration, references for what Latin-1 lacks.
    expect(b"<siteName>Zwembad Caf\xe9</siteName>" in xml, "site name as Latin-1")
    expect(b'<pool name="Bad &#321;\xf3d&#378; &#8364;">' in xml, "pool name with references")
    import xml.etree.ElementTree as ElementTree
    root = ElementTree.fromstring(xml)
    expect(root.find("pools/pool").get("name") == "Bad \u0141\u00f3d\u017a \u20ac",
           "the pool name does not read back")
    try:
        import openpyxl
    except ImportError:
        raise Failure("python3-openpyxl is needed to read the workbook back")
    sheet = openpyxl.load_workbook(path("log.xlsx")).active
    rows = list(sheet.iter_rows(values_only=True))
    expect(len(rows) == 121 and rows[0][0] == "Record Type", "workbook rows: %d" % len(rows))
    expect([r[2] for r in rows[1:]] == list(range(1, 121)), "workbook record numbers")
    expect(isinstance(rows[1][13], float) and hasattr(rows[1][3], "year"),
           "pH as a number and the time as a date")
    # The workbook takes single-byte names: what the Windows Western code page lacks is lost.
    expect(sheet.title == "Bad _\u00f3d_ \u20ac", "sheet title " + sheet.title)


def silent_controller_fails_and_keeps_every_file():
    put("kept.csv")
    os.mkfifo(path("pipe"))
    piped = []
    reader = threading.Thread(target=lambda: piped.append(open(path("pipe"), "rb").read()))
    reader.start()
    sim = Sim("--records", "60", "--fault", "silent-after=15")
    try:
        rc, _, err, took = run("download", "--host", "127.0.0.1", "--port", sim.port,
                               "--csv", path("kept.csv"), "--xml", path("new.xml"),
                               "--xlsx", path("pipe"))
    finally:
        sim.stop()
        reader.join(10)
    status(rc, 1, err)
    said(err, r"the controller stopped answering")
    unchanged("kept.csv")
    expect(0 < len(csv_records("kept.incomplete.csv")) < 60, "records beside the kept file")
    expect(read("new.xml").count(b"<dbRecord>") > 0, "records in the new file")
    expect(piped and piped[0][:2] == b"PK", "the pipe's reader got the workbook")
    absent("pipe.incomplete")
    said(err, r"new\.xml \(incomplete: the run failed\)")


def refused_connection_leaves_files_as_they_were():
    put("good.csv")
    put("good.xml")
    rc, _, err, _ = run("download", "--host", "127.0.0.1", "--port", closed_port(),
                        "--csv", path("good.csv"), "--xml", path("good.xml"))
    status(rc, 1, err)
    said(err, r"could not connect")
    said(err, r"refused the connection")
    unchanged("good.csv")
    unchanged("good.xml")
    absent("good.incomplete.csv")


def timeout_bounds_a_connect_that_never_completes():
    listener = NeverAccepts()
    try:
        rc, _, err, took = run("download", "--host", "127.0.0.1", "--port", listener.port,
                               "--timeout", "2", "--csv", path("log.csv"))
    finally:
        listener.stop()
    status(rc, 1, err)
    expect(took < 5, "took %.1f s with --timeout 2" % took)
    said(err, r"could not connect")
    absent("log.csv")


def options_are_refused_before_connecting():
    listener = NeverAccepts()
    endpoint = ["--host", "127.0.0.1", "--port", listener.port]
    a_csv = ["--csv", path("a.csv")]
    try:
        cases = [
            (["variables", "--set", "1:4=9x"], r"--set value must be a whole number"),
            (["variables", "--set", "1:4=32768"], r"--set value must be a whole number"),
            (["variables", "--set", "9:4=1"], r"--set block must be"),
            (["variables", "--set", "1:26=1"], r"--set variable must be"),
            (["variables", "--set", "1=4:1"], r"--set must look like B:V=VALUE"),
            (["variables", "--set", "1:4=1", "--block", "2"], r"do not go together"),
            (["variables", "--timeout", "0"], r"--timeout must be"),
            (["download", "--hots", "x"], r"unknown option --hots"),
            (["download", "--port", "1"], r"option --port given twice"),
            (["download", "stray"], r"unexpected argument \"stray\""),
            (["download", *a_csv, "--idle"], r"option --idle needs a value"),
            (["download", *a_csv, "--idle", "x"], r"--idle must be"),
            (["download", *a_csv, "--address", "256"], r"--address must be"),
            (["download", *a_csv, "--max-records", "0"], r"--max-records"),
            (["download"], r"no output given"),
            (["download", "--csv", ""], r"--csv needs a file name"),
            (["download", "--csv", OUT], r"is a directory"),
            (["download", "--csv", path("no/such/folder/log.csv")], r"cannot be written"),
            (["download", *a_csv, "--xml", path(".") + "/./a.csv"], r"name the same file"),
            (["download", "--csv", "-", "--xlsx", "-"], r"name the same file"),
        ]
        for args, pattern in cases:
            rc, _, err, took = run(args[0], *endpoint, *args[1:])
            status(rc, 2, err)
            said(err, pattern, 1)
            expect(took < 1.5, " ".join(args) + " waited for the connect")
            expect("connect" not in err, " ".join(args) + " tried to connect:\n" + err)
        rc, _, err, _ = run("download", "--port", listener.port, *a_csv)
        status(rc, 2, err)
        said(err, r"--host is required", 1)
    finally:
        listener.stop()
    absent("a.csv")


def convert_refuses_its_input_as_output_and_keeps_outputs_on_failure():
    put("good.csv")
    rc, _, err, _ = run("convert", "--in", path("nosuch.csv"), "--csv", path("good.csv"))
    status(rc, 1, err)
    said(err, re.escape(path("nosuch.csv")) + r": ")
    unchanged("good.csv")
    absent("good.incomplete.csv")

    sim = Sim("--records", "30", "--log-rate", "5000")
    try:
        rc, _, err, _ = run("download", "--host", "127.0.0.1", "--port", sim.port, "--idle", "1",
                            "--csv", path("log.csv"))
    finally:
        sim.stop()
    status(rc, 0, err)
    log = read("log.csv")
    rc, _, err, _ = run("convert", "--in", path("log.csv"), "--xml",
                        os.path.join(OUT, ".", "log.csv"))
    status(rc, 2, err)
    said(err, r"is the input file")
    expect(read("log.csv") == log, "the input was changed")

    rc, _, err, _ = run("convert", "--in", path("log.csv"), "--csv", "/dev/full")
    status(rc, 2, err)
    said(err, r"no space left on device")

    # A line no reader can take, after some good ones: the input is still there, so a partial
    # copy is written nowhere.
    put("broken.csv", log + b"3,x,y\r\n")
    put("out.csv")
    rc, _, err, _ = run("convert", "--in", path("broken.csv"), "--csv", path("out.csv"),
                        "--xml", path("new.xml"))
    status(rc, 1, err)
    said(err, re.escape(path("broken.csv")) +
         r", line 32: 3 fields where the export header has 30\n")
    unchanged("out.csv")
    absent("out.incomplete.csv")
    absent("new.xml")
    said(err, r"new\.xml was not created")


def wrong_address_is_said_plainly():
    sim = Sim("--records", "30", "--address", "5")
    try:
        rc, _, err, took = run("download", "--host", "127.0.0.1", "--port", sim.port,
                               "--timeout", "2", "--csv", path("log.csv"))
        status(rc, 1, err)
        said(err, r"no valid reply from address 1 within 2 s")
        expect(took < 5, "took %.1f s" % took)
        absent("log.csv")
        rc, _, err, _ = run("variables", "--host", "127.0.0.1", "--port", sim.port,
                            "--timeout", "2")
        status(rc, 1, err)
        said(err, r"no valid reply from address 1 within 2 s")
        expect("confirm" not in err, "a read-only run speaks of a confirmation:\n" + err)
    finally:
        sim.stop()


def a_write_is_sent_and_confirmed_by_a_later_reply():
    sim = Sim("--records", "10")
    try:
        rc, out, err, _ = run("variables", "--host", "127.0.0.1", "--port", sim.port,
                              "--block", "1")
        status(rc, 0, err)
        expect(out.split()[5] == b"80", "the simulator's 1:4 is 80 to begin with: " + str(out))
        # 0 is what the console holds before it has read the block: it must still be sent.
        rc, out, err, _ = run("variables", "--host", "127.0.0.1", "--port", sim.port,
                              "--set", "1:4=0")
        status(rc, 0, err)
        said(err, r"variable 4 of block 1 now reads 0\b")
        expect(out.startswith(b"block 1: ") and out.split()[5] == b"0", str(out))
        rc, out, err, _ = run("variables", "--host", "127.0.0.1", "--port", sim.port,
                              "--block", "1")
        expect(out.split()[5] == b"0", "1:4 reads " + str(out))
        rc, out, err, _ = run("variables", "--host", "127.0.0.1", "--port", sim.port,
                              "--set", "1:4=-32700")
        status(rc, 0, err)
        said(err, r"now reads 32836 ")
        expect("Error #" not in err, err)
    finally:
        sim.stop()


def a_program_folder_without_texts_uses_the_built_in_ones():
    bare = path("bare")
    os.mkdir(bare)
    shutil.copy(CLI, bare)
    rc, _, err, _ = run("download", "--host", "127.0.0.1", "--port", closed_port(),
                        "--csv", path("log.csv"), cli=os.path.join(bare, os.path.basename(CLI)))
    status(rc, 1, err)
    said(err, r"using the built-in English texts", 1)
    said(err, r"The controller refused the connection")
    expect("####" not in err, "placeholders instead of texts:\n" + err)


def interrupted_download(sig, wanted):
    def case():
        put("log.csv")
        sim = Sim("--records", "100000", "--log-rate", "2000")
        try:
            proc = subprocess.Popen([CLI, "download", "--host", "127.0.0.1", "--port", sim.port,
                                     "--csv", path("log.csv")], stderr=subprocess.PIPE,
                                    text=True)
            first = proc.stderr.readline()
            expect(first.startswith("records held:"), "no progress: " + first)
            proc.send_signal(sig)
            err = first + proc.stderr.read()
            rc = proc.wait(30)
        finally:
            sim.stop()
        status(rc, wanted, err)
        said(err, r"interrupted")
        unchanged("log.csv")
        expect(len(csv_records("log.incomplete.csv")) > 100, "what arrived was written")
    return case


def a_download_past_the_cap_stops_as_a_failure():
    sim = Sim("--records", "500", "--log-rate", "40")
    try:
        rc, _, err, _ = run("download", "--host", "127.0.0.1", "--port", sim.port,
                            "--max-records", "30", "--csv", path("log.csv"))
    finally:
        sim.stop()
    status(rc, 1, err)
    said(err, r"limit of 30 records")
    n = len(csv_records("log.csv"))
    expect(30 <= n <= 35, "%d records held with a cap of 30" % n)


CASES = {
    "completeLogInEveryFormat": complete_log_in_every_format,
    "silentControllerFailsAndKeepsEveryFile": silent_controller_fails_and_keeps_every_file,
    "refusedConnectionLeavesFilesAsTheyWere": refused_connection_leaves_files_as_they_were,
    "timeoutBoundsAConnectThatNeverCompletes": timeout_bounds_a_connect_that_never_completes,
    "optionsAreRefusedBeforeConnecting": options_are_refused_before_connecting,
    "convertKeepsItsInputAndOutputsOnFailure":
        convert_refuses_its_input_as_output_and_keeps_outputs_on_failure,
    "wrongAddressIsSaidPlainly": wrong_address_is_said_plainly,
    "aWriteIsSentAndConfirmedByALaterReply": a_write_is_sent_and_confirmed_by_a_later_reply,
    "aProgramFolderWithoutTextsUsesTheBuiltInOnes":
        a_program_folder_without_texts_uses_the_built_in_ones,
    "ctrlCKeepsWhatArrived": interrupted_download(signal.SIGINT, 130),
    "sigtermKeepsWhatArrived": interrupted_download(signal.SIGTERM, 143),
    "aDownloadPastTheCapStopsAsAFailure": a_download_past_the_cap_stops_as_a_failure,
}


def main():
    if sys.argv[4] == "--list":
        print(";".join(CASES))
        return 0
    name = sys.argv[4]
    global OUT
    OUT = os.path.join(OUT, name)
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    try:
        CASES[name]()
    except Failure as failure:
        print("FAILED: " + str(failure))
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
