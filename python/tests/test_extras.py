"""The additions for new scripts: the with block, rows() and tables()."""
import os
import unittest

import vexaconfig
from scratch import E_POINTER, ScratchTest

ADD_EVENT = "update EventMarkerLog set Comment = 'kept', Time = 't' where 0"


class Extras(ScratchTest):
    def test_the_with_block_closes_without_saving(self):
        with vexaconfig.open(self.file) as cfg:
            cfg.Query(ADD_EVENT)
        with self.assertRaises(vexaconfig.Error) as raised:
            cfg.Events
        self.assertEqual(raised.exception.hresult, E_POINTER)
        self.assertEqual(self.opened().rows("select Comment from EventMarkerLog"), [])
        self.assertFalse(os.path.exists(self.file + ".Backup"))

    def test_what_was_saved_in_the_with_block_stays(self):
        with vexaconfig.open(self.file, backup=True) as cfg:
            cfg.Query(ADD_EVENT)
            cfg.Save()
            cfg.Query("delete * from EventMarkerLog")
        self.assertEqual(self.opened().rows("select Comment from EventMarkerLog"), [("kept",)])
        self.assertTrue(os.path.exists(self.file + ".Backup"))

    def test_the_with_block_closes_when_it_raises(self):
        with self.assertRaises(KeyError):
            with vexaconfig.open(self.file) as cfg:
                raise KeyError
        with self.assertRaises(vexaconfig.Error):
            cfg.Events

    def test_rows_split_the_cells(self):
        cfg = self.opened()
        self.assertEqual(cfg.rows("select * from EventMarkerLog"), [])
        cfg.Query(ADD_EVENT)
        self.assertEqual(cfg.rows("select Time, Comment, PropertyBag from EventMarkerLog"), [("t", "kept", "")])

    def test_tables_count_the_rows_of_every_table(self):
        cfg = self.opened()
        cfg.Query(ADD_EVENT)
        cfg.Query(ADD_EVENT)
        tables = cfg.tables()
        self.assertEqual(tables["EventMarkerLog"], 2)
        self.assertEqual(tables["ParameterDefaultsState"], 1)
        cfg.Query("delete * from EventMarkerLog")
        self.assertEqual(cfg.tables()["EventMarkerLog"], 0)

    def test_version(self):
        self.assertRegex(vexaconfig.__version__, r"^\d+\.\d+\.\d+$")


if __name__ == "__main__":
    unittest.main()
