"""Failing statuses as vexaconfig.Error, and the thread an object belongs to."""
import os
import pathlib
import threading
import unittest

import vexaconfig
from scratch import E_FAIL, E_INVALIDARG, E_POINTER, RPC_E_WRONG_THREAD, ScratchTest

DESCRIBED = {E_FAIL: "E_FAIL (0x80004005)", E_INVALIDARG: "E_INVALIDARG (0x80070057)"}


class Errors(ScratchTest):
    def test_a_missing_file_names_the_status_the_log_text_and_the_cause(self):
        missing = pathlib.Path(self.path("missing.cfg"))
        with self.assertRaises(vexaconfig.Error) as raised:
            vexaconfig.VexaConfig().Open(missing)
        error = raised.exception
        self.assertIsInstance(error, RuntimeError)
        self.assertEqual(error.hresult, E_FAIL)
        self.assertEqual(str(error), f"E_FAIL (0x80004005): Open: Unable to load VEXA configuration file: "
                                     f"( {missing} ): no such file")
        with self.assertRaisesRegex(TypeError, "expected str or os.PathLike, got int"):
            vexaconfig.open(5)

    def test_a_bad_statement_names_the_cause_the_tool_names(self):
        cfg = self.opened()
        for statement, status, cause in (
                ("select * from NoSuchTable", E_FAIL, "unknown 'From' table (NoSuchTable)"),
                ("selct * from Colors", E_INVALIDARG,
                 "unknown statement 'selct' (select, update, delete, create, drop or sort)"),
                ("select * form Colors", E_FAIL, "missing 'from' clause: select COLUMNS from TABLE [where ...]")):
            with self.assertRaises(vexaconfig.Error) as raised:
                cfg.Query(statement)
            self.assertEqual(raised.exception.hresult, status)
            self.assertEqual(str(raised.exception), f"{DESCRIBED[status]}: {statement}: {cause}")

    def test_the_callers_message_log_gets_the_text_and_the_error_too(self):
        cfg = vexaconfig.VexaConfig()
        log = self.path("messages.log")
        cfg.OpenMessageLog(log)
        with self.assertRaises(vexaconfig.Error) as raised:
            cfg.Open(self.path("missing.cfg"))
        self.assertIn("Unable to load", str(raised.exception))
        with open(log) as text:
            self.assertIn("Unable to load", text.read())
        cfg.Save()  # nothing open: only logged, no failure
        with open(log) as text:
            self.assertIn("Save: Called but configuration file was never opened", text.read())

    def test_names_outside_windows_1252_reach_their_files_and_show_as_question_marks(self):
        folder = self.path("Δοκιμές")
        os.mkdir(folder)
        file = os.path.join(folder, "Δοκιμή.cfg")
        cfg = vexaconfig.VexaConfig()
        cfg.OpenMessageLog(os.path.join(folder, "Καταγραφή.log"))
        cfg.Create(file, True)
        cfg.Query("update Colors set * = 255|red")
        cfg.Save()
        self.assertEqual(cfg.VersionFromFile(file), "VersionFivePointZero")
        cfg.Open(file, True)
        self.assertEqual(cfg.rows("select Color from Colors where Color = 255"), [("255",)])
        self.assertTrue(os.path.exists(file + ".Backup"))
        with self.assertRaises(vexaconfig.Error) as raised:
            cfg.Open(os.path.join(folder, "Λείπει.cfg"))
        self.assertIn(f"( {self.path('???????')}/??????.cfg )", str(raised.exception))

    def test_a_collection_without_an_open_file_fails_with_e_pointer(self):
        with self.assertRaises(vexaconfig.Error) as raised:
            vexaconfig.VexaConfig().Events
        self.assertEqual(raised.exception.hresult, E_POINTER)


class Threads(ScratchTest):
    def call_from_another_thread(self, call):
        outcome = []

        def run():
            try:
                call()
                outcome.append(None)
            except vexaconfig.Error as error:
                outcome.append(error)
        worker = threading.Thread(target=run)
        worker.start()
        worker.join()
        return outcome[0]

    def test_objects_refuse_calls_from_other_threads(self):
        cfg = self.opened()
        events = cfg.Events
        event = events.Add("x", "")
        for call in (lambda: cfg.Query("select * from EventMarkerLog"), lambda: len(events),
                     lambda: event.Name, lambda: cfg.Save()):
            error = self.call_from_another_thread(call)
            self.assertIsNotNone(error)
            self.assertEqual(error.hresult, RPC_E_WRONG_THREAD)
        self.assertEqual(event.Name, "x")

    def test_an_object_made_in_a_thread_works_there(self):
        def use_own_object():
            cfg = self.opened()
            self.assertEqual(len(cfg.ParameterSets), 1)
        self.assertIsNone(self.call_from_another_thread(use_own_object))

    @unittest.skipUnless(hasattr(os, "mkfifo"), "needs named pipes")
    def test_other_threads_run_while_a_file_loads(self):
        # The load blocks on the pipe until another Python thread writes the file
        # into it, which that thread can only do while the load has let go of the GIL.
        with open(self.file, "rb") as source:
            content = source.read()
        pipe = self.path("pipe.cfg")
        os.mkfifo(pipe)

        def feed():
            with open(pipe, "wb") as sink:
                sink.write(content)
        feeder = threading.Thread(target=feed)
        feeder.start()
        cfg = vexaconfig.VexaConfig()
        cfg.Open(pipe, False)
        feeder.join()
        self.assertEqual(cfg.Version, 5)


if __name__ == "__main__":
    unittest.main()
