"""The automation object model through the module: collections, items, Query."""
import enum
import unittest

import vexaconfig
from scratch import E_FAIL, E_INVALIDARG, ScratchTest

# Each collection, the arguments of its Add, and properties that do not come back
# from the table as they were set.
COLLECTIONS = {
    "Events": ("Marker", "001:00:00:00.000"),
    "Thresholds": ("ALT", "002:00:00:00.000", vexaconfig.VexaThresholdLevel.vexaAlarm),
    "Testpoints": ("TP1", "003:00:00:00.000", "003:00:01:00.000"),
    "Selections": ("ALT", "004:00:00:00.000", 1.5),
    "PlannedTestPoints": ("TP9",),
    "ParameterDefaults": ("ALT", vexaconfig.VexaDataType.vexaDouble, 25.0),
    "ParameterSets": ("ParameterSet1", "Flight", True),
}
NOT_STORED = {"PlannedTestPoints": {"User"}, "ParameterDefaults": {"Delete"}}
# The first set stays the active one, whose defaults VexaConfig.ParameterDefaults reads.
UNCHANGED = {"ParameterSets": {"SetName"}}


def properties(item):
    return [name for name in dir(type(item))
            if not name.startswith("_") and isinstance(getattr(type(item), name), property)
            and name != "ParameterDefaults"]


def new_value(name, current):
    """A value unlike the new item's own for every kind of property."""
    if name == "Delete":
        return False
    if isinstance(current, bool):
        return not current
    if isinstance(current, enum.IntEnum):
        return list(type(current))[-1]
    if isinstance(current, float):
        return 1.5
    if isinstance(current, int):
        return 7
    return f"{name} Jürgen"


class RoundTrip(ScratchTest):
    def test_every_property_of_every_collection_survives_save_and_reopen(self):
        cfg = self.opened()
        written = {}
        for name, arguments in COLLECTIONS.items():
            collection = getattr(cfg, name)
            collection.RemoveAll()
            item = collection.Add(*arguments)
            values = {p: new_value(p, getattr(item, p)) for p in properties(item)
                      if p not in UNCHANGED.get(name, ())}
            for prop, value in values.items():
                setattr(item, prop, value)
                self.assertEqual(getattr(item, prop), value, f"{name}.{prop}")
            collection.SaveTable()
            written[name] = values
        cfg.Save()

        reopened = self.opened()
        for name, values in written.items():
            collection = getattr(reopened, name)
            self.assertEqual(len(collection), 1, name)
            item = collection.Item(1)
            for prop, value in values.items():
                if prop in NOT_STORED.get(name, ()):
                    continue
                self.assertEqual(getattr(item, prop), value, f"{name}.{prop}")
                if isinstance(value, enum.IntEnum):
                    self.assertIs(type(getattr(item, prop)), type(value))

    def test_remove_and_item_follow_the_index_or_name_rule(self):
        cfg = self.opened()
        events = cfg.Events
        for name in ("first", "second", "Second"):
            events.Add(name, "")
        self.assertEqual(events.Count, 3)
        self.assertEqual([e.Name for e in events], ["first", "second", "Second"])
        self.assertEqual(events.Item(1).Name, "first")
        self.assertEqual(events.Item("2").Name, "second")
        self.assertEqual(events.Item(2.9).Name, "second")
        self.assertEqual(events.Item("SECOND").Name, "second")
        for bad, status, lookup in ((0, E_INVALIDARG, IndexError), (4, E_INVALIDARG, IndexError),
                                    (2**40, E_INVALIDARG, IndexError), ("third", E_FAIL, KeyError)):
            for call in (events.Item, events.Remove):
                with self.assertRaises(lookup) as raised:
                    call(bad)
                self.assertIsInstance(raised.exception, vexaconfig.Error)
                self.assertEqual(raised.exception.hresult, status, repr(bad))
        with self.assertRaisesRegex(TypeError, "expected int, float or str, got NoneType"):
            events.Item(None)
        self.assertEqual(repr(events.Item(1)), "<vexaconfig.Event Name='first' IrigTime=''>")
        events.Remove("second")
        self.assertEqual([e.Name for e in events], ["first", "Second"])

    def test_collections_are_detached_copies(self):
        cfg = self.opened()
        cfg.Events.Add("lost", "")
        self.assertEqual(len(cfg.Events), 0)

    def test_enumerations_take_plain_ints_and_keep_unnamed_values(self):
        item = self.opened().Thresholds.Add("ALT", "", 2)
        self.assertIs(item.Level, vexaconfig.VexaThresholdLevel.vexaAlarm)
        item.Level = 9
        self.assertEqual(item.Level, 9)
        self.assertEqual(vexaconfig.VexaAlpha.vexaAlphaTwoPointZero, vexaconfig.VexaAlpha.vexaAlphaNone)
        self.assertEqual(vexaconfig.VexaBlockSize.vexaBlock65536, 65536)

    def test_a_parameter_set_opens_its_own_defaults(self):
        cfg = self.opened()
        sets = cfg.ParameterSets
        sets.Add("Flight7", "", False)
        sets.SaveTable()
        defaults = sets.Item("flight7").ParameterDefaults
        self.assertEqual(defaults.SetName, "Flight7")
        defaults.Add("ALT", 0, 10.0)
        defaults.SaveTable()
        self.assertEqual(len(cfg.ParameterDefaults), 0)
        self.assertEqual(cfg.rows("select ParameterDefaults, Parameter from ParameterDefaults"),
                         [("Flight7", "ALT")])


class Text(ScratchTest):
    def test_characters_narrow_text_cannot_hold_become_x(self):
        event = self.opened().Events.Add("", "")
        event.Name = "a\ud800b"
        self.assertEqual(event.Name, "aXX")

    def test_properties_take_only_their_type(self):
        threshold = self.opened().Thresholds.Add("ALT", "", 2)
        for prop, value, expected in (("Comment", 5, "expected str, got int"),
                                      ("ValueAtBreak", "high", "expected float, got str"),
                                      ("Level", 2.5, "expected int, got float")):
            with self.assertRaisesRegex(TypeError, expected):
                setattr(threshold, prop, value)

    def test_statements_narrow_text_cannot_hold_are_refused(self):
        cfg = self.opened()
        cfg.Query("update Colors set * = 2|blue where 0")
        with self.assertRaises(vexaconfig.Error) as raised:
            cfg.Query("update Colors set PropertyBag = 'Ωmega' where Color = 2")
        self.assertEqual(raised.exception.hresult, E_INVALIDARG)
        self.assertIn("'Ω' (U+03A9) at character 34 cannot be written in Windows-1252", str(raised.exception))
        self.assertEqual(cfg.rows("select * from Colors"), [("2", "blue")])


class Query(ScratchTest):
    def test_rows_come_back_as_a_tuple_of_joined_cells(self):
        cfg = self.opened()
        for name in ("a", "b", "c"):
            cfg.Query(f"update EventMarkerLog set Comment = '{name}', Time = 't{name}' where 0")
        self.assertEqual(cfg.Query("select Time, Comment from EventMarkerLog"), ("ta|a", "tb|b", "tc|c"))

    def test_no_row_and_statements_without_rows_give_none(self):
        cfg = self.opened()
        self.assertIsNone(cfg.Query("select * from EventMarkerLog"))
        self.assertIsNone(cfg.Query("update EventMarkerLog set Comment = 'x' where 0"))
        cfg.Close(False)
        with self.assertRaisesRegex(vexaconfig.Error, "no file is open"):
            cfg.Query("select * from EventMarkerLog")

    def test_failures_the_engine_only_traces_are_warnings(self):
        cfg = self.opened()
        with self.assertWarnsRegex(RuntimeWarning, r"set Colour = 3 where 0: ColumnName \(Colour\) in set"):
            cfg.Query("update Colors set Colour = 3 where 0")

    def test_version_starts_at_5_and_create_writes_the_version_set(self):
        cfg = vexaconfig.VexaConfig()
        self.assertEqual(cfg.Version, 5)
        cfg.Version = 4
        cfg.Create(self.path("v4.cfg"), True)
        self.assertEqual(cfg.VersionFromFile(self.path("v4.cfg")), "VersionFourPointZero")
        self.assertEqual(cfg.Version, 4)


if __name__ == "__main__":
    unittest.main()
