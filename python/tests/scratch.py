"""A scratch folder with a new version 5 configuration file for each test."""
import os
import tempfile
import unittest

import vexaconfig

E_FAIL = 0x80004005 - 2**32
E_POINTER = 0x80004003 - 2**32
E_INVALIDARG = 0x80070057 - 2**32
RPC_E_WRONG_THREAD = 0x8001010E - 2**32


class ScratchTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name
        self.file = self.path("flight.cfg")
        vexaconfig.VexaConfig().Create(self.file, False)

    def path(self, name):
        return os.path.join(self.folder, name)

    def opened(self):
        cfg = vexaconfig.VexaConfig()
        cfg.Open(self.file, False)
        return cfg
