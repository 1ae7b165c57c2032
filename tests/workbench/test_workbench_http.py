"""`vexacfg serve` answered by an HTTP client: what it refuses, and edits that
reach the file exactly."""
import http.client
import os
import unittest

from served import Served, make_file, temporary_folder, vexacfg


class Refusals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = temporary_folder()
        cls.path = make_file(cls.folder.name, rows=3)
        cls.served = Served(cls.path)

    @classmethod
    def tearDownClass(cls):
        cls.served.stop()
        cls.folder.cleanup()

    def test_without_the_token_every_request_is_refused(self):
        for method, path in [("GET", "/"), ("GET", "/api/tables"), ("GET", "/api/page?table=Notes"),
                             ("POST", "/api/save"), ("GET", "/../../etc/passwd")]:
            status, answer = self.served.request(method, path, {} if method == "POST" else None, token=False)
            self.assertEqual((status, answer["error"]), (401, "refused: no valid token"), path)
        status, _ = self.served.request("GET", "/api/tables", token=False, headers={"X-Vexa-Token": "0" * 64})
        self.assertEqual(status, 401)

    def test_a_host_other_than_the_loopback_address_and_port_is_refused(self):
        for host in ["attacker.example", f"attacker.example:{self.served.port}", "127.0.0.1", "127.0.0.1:1"]:
            connection = http.client.HTTPConnection("127.0.0.1", self.served.port, timeout=10)
            connection.request("GET", "/api/tables", headers={"Host": host, "X-Vexa-Token": self.served.token})
            self.assertEqual(connection.getresponse().status, 403, host)
            connection.close()

    def test_a_change_needs_a_post_with_the_token_in_its_header(self):
        # The token in the query is enough to load the page, never to change anything.
        status, _ = self.served.request("POST", "/api/add?token=" + self.served.token,
                                        {"table": "Notes", "cells": ["x"]}, token=False)
        self.assertEqual(status, 401)
        status, _ = self.served.request("GET", "/api/add?table=Notes")
        self.assertEqual(status, 404)
        status, _ = self.served.request("PUT", "/api/save", {})
        self.assertEqual(status, 405)
        self.assertEqual(self.served.get("/api/info")[1]["unsaved"], False)

    def test_only_the_given_file_is_read(self):
        status, answer = self.served.post("/api/query", {"statement": "select FullFileName from zBall where "
                                                                      "zBallFileName = 'passwd'"})
        self.assertEqual(status, 403, answer)
        self.assertEqual(self.served.get("/../tests")[0], 404)
        self.assertEqual(sorted(os.listdir(self.folder.name)), ["flight.cfg"])

    def test_read_only_refuses_every_change(self):
        served = Served(self.path, "--read-only")
        try:
            for path, body in [("/api/edit", {"table": "Notes", "id": "x", "column": 0, "value": "y"}),
                               ("/api/add", {"table": "Notes", "cells": []}),
                               ("/api/delete", {"table": "Notes", "id": "x"}), ("/api/undo", {}), ("/api/save", {}),
                               ("/api/query", {"statement": "delete * from Notes"})]:
                status, answer = served.post(path, body)
                self.assertEqual((status, answer["error"]), (403, "the workbench is read-only (--read-only)"), path)
            self.assertEqual(served.post("/api/query", {"statement": "select * from Notes"})[0], 200)
        finally:
            served.stop()


class Editing(unittest.TestCase):
    def setUp(self):
        self.folder = temporary_folder()
        self.path = make_file(self.folder.name, rows=3)
        self.served = Served(self.path)

    def tearDown(self):
        if self.served.process.poll() is None:
            self.served.stop()
        self.folder.cleanup()

    def first_row(self):
        return self.served.get("/api/page", table="Notes", limit=1)[1]["rows"][0]

    def test_text_the_file_cannot_hold_is_refused(self):
        row = self.first_row()
        for value, why in [("two\nlines", "a line break"), ("a|b", '"|" separates cells'),
                           ("Ωμέγα", "U+03A9 is not in Windows-1252")]:
            status, answer = self.served.post("/api/edit", {"table": "Notes", "id": row["id"], "column": 2,
                                                            "value": value})
            self.assertEqual(status, 400)
            self.assertIn(why, answer["error"])
        self.assertEqual(self.served.post("/api/edit", {"table": "Notes", "id": row["id"], "column": 2,
                                                        "value": "Café – €5"})[0], 200)

    def test_edit_add_delete_undo_and_save_reach_the_file_exactly(self):
        row = self.first_row()
        self.served.post("/api/edit", {"table": "Notes", "id": row["id"], "column": 2, "value": "dropped"})
        self.served.post("/api/undo")
        self.served.post("/api/edit", {"table": "Notes", "id": row["id"], "column": 2, "value": "kept"})
        added = self.served.post("/api/add", {"table": "Notes", "cells": ["n999", "5", "new"]})[1]["id"]
        self.served.post("/api/delete", {"table": "Notes", "id": added})
        self.served.post("/api/undo")
        tables = {t["name"]: t["unsaved"] for t in self.served.get("/api/tables")[1]}
        self.assertEqual((tables["Notes"], tables["Colors"]), (True, False))
        changes = self.served.get("/api/compare", against="saved")[1]["changes"]
        self.assertEqual(len(changes), 2, changes)
        status, answer = self.served.post("/api/save")
        self.assertEqual((status, answer["unsaved"]), (200, False))
        diff = vexacfg("diff", self.path + ".Backup", self.path, check=False)
        self.assertEqual(diff.stdout, 'Notes: changed n000: Comment "row 0" -> "kept"\nNotes: added n999|5|new\n')
        self.assertEqual(self.served.post("/api/undo")[0], 409)

    def test_a_failing_statement_gives_the_engines_cause(self):
        status, answer = self.served.post("/api/query", {"statement": "select * from NoSuchTable"})
        self.assertEqual((status, answer["error"]), (200, "E_FAIL (0x80004005): unknown 'From' table (NoSuchTable)"))

    def test_ctrl_c_asks_about_unsaved_changes(self):
        self.served.post("/api/add", {"table": "Notes", "cells": ["n999"]})
        code, out, _ = self.served.stop("yes")
        self.assertEqual(code, 0)
        self.assertIn(f"Save the changes to {self.path}?", out)
        self.assertIn("n999||", vexacfg("query", self.path, "select * from Notes").stdout)


if __name__ == "__main__":
    unittest.main()
