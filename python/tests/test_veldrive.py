"""Tests of the veldrive Python client against the kernel's drive server (libVelDrive.so),
registered by kinetra-regsvr into a registry file of a temporary folder. Typed members come
through the kernel's type library; dynamic members (names the object did not know before)
have no type information, so the client finds out on its own how to call them. After every
test the kernel's object count must be back to 0 (DllCanUnloadNow).

The build passes the paths in VELDRIVE_TEST_REGSVR, VELDRIVE_TEST_KERNEL and VELDRIVE_EXAMPLE.
"""

import gc
import math
import os
import subprocess
import sys
import tempfile
import unittest

import veldrive

SERVER = "VelDriveServer.1"
SERVER_CLSID = "{D6A8C987-7B78-4938-AA6E-1AAD9B11C228}"

E_FAIL = 0x80004005
E_INVALIDARG = 0x80070057
DISP_E_MEMBERNOTFOUND = 0x80020003
DISP_E_TYPEMISMATCH = 0x80020005
DISP_E_UNKNOWNNAME = 0x80020006
DISP_E_BADPARAMCOUNT = 0x8002000E
CO_E_CLASSSTRING = 0x800401F3

_folder = None


def setUpModule():
    global _folder
    _folder = tempfile.TemporaryDirectory(prefix="veldrive-python-test-")
    # The registry of this process and of kinetra-regsvr: never the user's own.
    os.environ["KINETRA_REGISTRY"] = os.path.join(_folder.name, "registry")
    done = subprocess.run([os.environ["VELDRIVE_TEST_REGSVR"], os.environ["VELDRIVE_TEST_KERNEL"]],
                          capture_output=True, text=True, env=os.environ)
    if done.returncode != 0:
        raise RuntimeError("cannot register the kernel: " + done.stdout + done.stderr)
    veldrive.echo_messages(False)


def tearDownModule():
    veldrive.echo_messages(True)
    _folder.cleanup()


class KernelTest(unittest.TestCase):
    def setUp(self):
        self.server = veldrive.Dispatch(SERVER)

    def tearDown(self):
        del self.server
        gc.collect()
        self.assertTrue(veldrive._can_unload(SERVER), "kernel objects are still alive after the test")

    def drive(self, *segments):
        drv = self.server.newDrive("test")
        for text in segments:
            drv.segment = text
        return drv

    def assertComError(self, hresult, text, call):
        with self.assertRaises(veldrive.ComError) as caught:
            call()
        self.assertEqual(caught.exception.hresult, hresult)
        self.assertIn(text, caught.exception.message)
        return caught.exception


class Members(KernelTest):
    def test_typed_properties_round_trip_and_convert(self):
        s = self.server
        self.assertIn("2.0", s.version)
        self.assertEqual(s.segmentTypeCount, 9)
        self.assertEqual(s.segmentType(4), "Sine")  # a get with arguments reads as a call
        drv = self.drive()
        for text in ("", "plain", "Größe äöü ß", "wide \u20ac and astral \U0001F600"):
            drv.name = text
            self.assertEqual(drv.name, text)
        drv.periodic = 1
        self.assertIs(type(drv.periodic), int)
        seg = s.segment("Linear")
        seg.z0 = 3  # the server converts to its type
        self.assertEqual(seg.z0, 3.0)
        self.assertIs(type(seg.z0), float)

    def test_dynamic_members_round_trip_every_automation_type(self):
        seg = self.server.segment("Linear")
        for value in (None, True, False, 42, -2**31, 2**40, -2**63, -1.25, math.inf,
                      "zeichen \u00fc \U0001F600"):
            with self.subTest(value=value):
                seg._dynamic["python_dynamic"] = value
                back = seg.python_dynamic
                self.assertEqual(back, value)
                self.assertIs(type(back), type(value))
        # Refused before the call: NaN is no quantity a server should store; values without
        # an automation type; keyword arguments.
        for error, call in ((ValueError, lambda: setattr(seg, "python_dynamic", math.nan)),
                            (OverflowError, lambda: seg._dynamic.__setitem__("python_x", 2**64)),
                            (TypeError, lambda: seg._dynamic.__setitem__("python_x", [1, 2])),
                            (TypeError, lambda: seg.f(z=1))):
            with self.subTest(error=error), self.assertRaises(error):
                call()

    def test_methods_indexed_properties_and_out_parameters(self):
        drv = self.drive('"ModSine", 0, 0', '"Linear", 1, 1')
        self.assertEqual(drv.compile(), 0)
        seg = drv.head
        f = seg.f  # a bound member can be kept and called again
        for z in (0.0, 0.1, 0.37, 0.9):
            got = seg.fderiv(z)  # [out] parameters come back as a tuple
            self.assertEqual(len(got), 4)
            self.assertEqual(got, (f(z), seg.fd(z), seg.fdd(z), seg.fddd(z)))
        other = self.server.segment("ModSine")
        other.value["fd1"] = 0.5  # two arguments: the name, then the value
        self.assertEqual(other.value["fd1"], 0.5)
        self.assertEqual(other.value("fd1"), 0.5)
        self.assertEqual(other.fd1, 0.5)
        veldrive.put(other, "value", "fd0", 2)
        self.assertEqual(veldrive.get(other, "value", "fd0"), 2.0)
        self.assertEqual(veldrive.call(other, "f", 0.0), 0.0)
        clear = drv.clear  # naming a method does not call it
        self.assertIsInstance(clear, veldrive.Member)
        self.assertIsNotNone(drv.head)
        clear()
        self.assertIsNone(drv.head)

    def test_returned_objects_are_wrapped_and_compare_by_identity(self):
        drv = self.drive('"Linear", 0, 0', '"Linear", 1, 1')
        head = drv.head
        self.assertIsInstance(head, veldrive.DispatchObject)
        self.assertEqual(head.next.prev, head)
        self.assertIsNot(drv.head, head)
        self.assertEqual(hash(drv.head), hash(head))
        self.assertNotEqual(head, head.next)
        head._dynamic["python_holder"] = drv  # an object in a dynamic member
        self.assertEqual(head.python_holder, drv)
        head.python_holder = None

    def test_dropping_the_parent_keeps_a_returned_object_alive(self):
        seg = self.server.segment("Sine")
        del self.server
        gc.collect()
        self.assertFalse(veldrive._can_unload(SERVER))
        self.assertEqual(seg.typeName, "Sine")
        self.server = None


class Errors(KernelTest):
    def test_failure_carries_the_kernels_message(self):
        text = "Drive with index 99 not in drive servers container."
        error = self.assertComError(E_FAIL, text, lambda: self.server.drive(99))
        self.assertIn(text, error.messages)
        self.assertIn("0x80004005", str(error))

    def test_dispatch_codes_carry_their_standard_texts(self):
        seg = self.server.segment("Linear")

        def put_method():
            seg.f = 1
        for code, text, call in ((DISP_E_BADPARAMCOUNT, "Invalid number of parameters.",
                                  lambda: seg.f(1, 2)),
                                 (DISP_E_TYPEMISMATCH, "Type mismatch.", lambda: seg.f("one")),
                                 (DISP_E_MEMBERNOTFOUND, "Member not found.", put_method)):
            with self.subTest(text):
                self.assertComError(code, text, call)
        error = self.assertComError(DISP_E_UNKNOWNNAME, "Unknown name.", lambda: seg.Z0)
        self.assertIsInstance(error, AttributeError)
        self.assertIsInstance(error, veldrive.UnknownNameError)
        self.assertEqual(getattr(seg, "noSuchMember", 7), 7)
        # A misspelt name used to become a member of its own; only _dynamic adds one.
        with self.assertRaises(AttributeError):
            seg.lamda = 0.4
        with self.assertRaises(AttributeError):
            veldrive.put(seg, "lamda", 0.4)

    def test_calls_that_had_no_effect_raise(self):
        """Each used to pass silently, the kernel's message on standard error only."""
        s = self.server
        drv, other = self.drive(), s.newDrive("other")
        line = s.segment("Linear")
        other.add(line)

        def put(obj, name, value):
            return lambda: setattr(obj, name, value)

        def put_value(seg, name, value):
            return lambda: seg.value.__setitem__(name, value)
        cases = [
            ("format string that is none", put(drv, "segment", "garbage"), "expected"),
            ("value the type does not take", put_value(s.segment("Linear"), "Ca", 5),
             "DRV_E_UNSUPPORTED_PARAM: Ca"),
            ("segment of another drive", lambda: drv.add(line), "invalid drive segment"),
            ("put the drive refuses", put(drv, "z0", 5.0), "did not take the value"),
            ("segment type that is none", lambda: s.segment("Bogus"), "Unknown segment type"),
            ("value name that is none", lambda: line.value["bogus"], "DRV_E_UNKNOWN_PARAM"),
            ("drive the server holds", lambda: (s.add(other), s.add(other)), "already holds"),
        ]
        for name, call, text in cases:
            with self.subTest(name):
                with self.assertRaises(veldrive.ComError) as caught:
                    call()
                self.assertIn(text, caught.exception.message)
        with self.assertRaises(ValueError):
            line.z0 = math.nan
        self.assertEqual(line.z0, 0.0)

    def test_creation_by_progid_or_class_identifier(self):
        self.assertComError(CO_E_CLASSSTRING, "not registered",
                            lambda: veldrive.Dispatch("NoSuch.Class.1"))
        with self.assertRaises(veldrive.ComError):
            veldrive._can_unload("NoSuch.Class.1")
        self.assertEqual(veldrive.Dispatch(SERVER_CLSID).segmentTypeCount, 9)


class Drives(KernelTest):
    def test_example_script_runs(self):
        done = subprocess.run([sys.executable, os.environ["VELDRIVE_EXAMPLE"]],
                              capture_output=True, text=True, env=os.environ, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("<table", done.stdout.lower())
        self.assertIn("fddd", done.stdout)


if __name__ == "__main__":
    unittest.main()
