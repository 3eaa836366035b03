"""The e2e driver's reading of Wine's exit noise (tools/lib/wine.py): dropped in every form seen,
only at the end; the program's own bytes kept."""

import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[3] / "tools" / "lib"))
import wine  # noqa: E402

OWN = b"MFStartup failed: Module not found. (0x8007007E)\n"


class ExitNoise(unittest.TestCase):
    def test_every_form_seen_at_the_end_is_dropped(self):
        for noise in (b"wine client error:118: ", b"wine client error:118: \n",
                      b"wine client error:1a4: sendmsg: Connection reset by peer\n",
                      b"wine client error:118: \nwine client error:119: "):
            self.assertEqual(wine.without_exit_noise(OWN + noise), OWN, noise)
            self.assertEqual(wine.without_exit_noise(noise), b"", noise)

    def test_the_programs_own_bytes_are_kept(self):
        for text in (OWN, b"wine client error:118: \nNo hardware H.264 MFT encoder was enumerated.\n",
                     b"No encoder: wine client error:118: \n", b"wine client error:: sendmsg\n", b""):
            self.assertEqual(wine.without_exit_noise(text), text, text)


if __name__ == "__main__":
    unittest.main()
