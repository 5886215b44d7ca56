"""Tests of the veldrive Python client.

Two servers are driven through class activation, each registered into a registry file of
its own temporary folder by kinetra-regsvr:
- the test server's Calc class (dispatch only, no type information), which checks the
  calling convention strictly, and its Typed class (dispatched through a type library);
- the kernel's drive server (libVelDrive.so), reached late-bound through its type library.
After every test the server library's object count must be back to 0 (DllCanUnloadNow).

The build passes the paths in VELDRIVE_TEST_REGSVR, VELDRIVE_TEST_CALC_SERVER,
VELDRIVE_TEST_KERNEL and VELDRIVE_EXAMPLE.
"""

import gc
import math
import os
import subprocess
import sys
import tempfile
import unittest

import veldrive

CALC = "VeldriveTest.Calc.1"
TYPED = "VeldriveTest.Typed.1"
SERVER = "VelDriveServer.1"

E_NOTIMPL = 0x80004001
E_FAIL = 0x80004005
E_INVALIDARG = 0x80070057
DISP_E_MEMBERNOTFOUND = 0x80020003
DISP_E_TYPEMISMATCH = 0x80020005
DISP_E_UNKNOWNNAME = 0x80020006
DISP_E_BADPARAMCOUNT = 0x8002000E
CO_E_CLASSSTRING = 0x800401F3

VT_EMPTY, VT_I4, VT_R8, VT_BSTR, VT_DISPATCH, VT_BOOL, VT_I8 = 0, 3, 5, 8, 9, 11, 20

_folder = None


def register(library):
    """Runs kinetra-regsvr on library; returns (ok, output)."""
    done = subprocess.run([os.environ["VELDRIVE_TEST_REGSVR"], library],
                          capture_output=True, text=True, env=os.environ)
    return done.returncode == 0, done.stdout + done.stderr


def setUpModule():
    global _folder
    _folder = tempfile.TemporaryDirectory(prefix="veldrive-python-test-")
    # The registry of this process and of kinetra-regsvr: never the user's own.
    os.environ["KINETRA_REGISTRY"] = os.path.join(_folder.name, "registry")
    ok, output = register(os.environ["VELDRIVE_TEST_CALC_SERVER"])
    if not ok:
        raise RuntimeError("cannot register the Calc test server: " + output)
    veldrive.echo_messages(False)


def tearDownModule():
    veldrive.echo_messages(True)
    _folder.cleanup()


class ReleasesEverything(unittest.TestCase):
    """Checks after every test that the server holds no objects any more."""

    progid = CALC

    def tearDown(self):
        gc.collect()
        self.assertTrue(veldrive._can_unload(self.progid),
                        "objects of %s are still alive after the test" % self.progid)


class CalcPropertiesAndCalls(ReleasesEverything):
    def setUp(self):
        self.calc = veldrive.Dispatch(CALC)

    def tearDown(self):
        del self.calc
        super().tearDown()

    def test_properties_round_trip_every_automation_type(self):
        c = self.calc
        self.assertEqual(c.count, 0)
        self.assertIsNone(c.label)
        for count in (1, -7, 2**31 - 1, -2**31):
            c.count = count
            self.assertEqual(c.count, count)
            self.assertIs(type(c.count), int)
        c.scale = 2.5e-300
        self.assertEqual(c.scale, 2.5e-300)
        c.scale = 3  # the server converts to its type
        self.assertIs(type(c.scale), float)
        for text in ("", "plain", "Größe äöü ß", "wide \u20ac and astral \U0001F600"):
            c.label = text
            self.assertEqual(c.label, text)
        for flag in (True, False):
            c.enabled = flag
            self.assertIs(c.enabled, flag)

    def test_python_values_become_the_expected_variant_types(self):
        c = self.calc
        cases = [(None, VT_EMPTY), (True, VT_BOOL), (0, VT_I4), (-2**31, VT_I4),
                 (2**31, VT_I8), (-2**63, VT_I8), (0.5, VT_R8), ("x", VT_BSTR), (c, VT_DISPATCH)]
        for value, vt in cases:
            with self.subTest(value=value):
                self.assertEqual(c.typeOf(value), vt)
        for value in (None, True, False, 42, 2**40, -1.25, math.inf, "zeichen \u00fc"):
            with self.subTest(echo=value):
                back = c.echo(value)
                self.assertEqual(back, value)
                self.assertIs(type(back), type(value))

    def test_values_without_automation_type_are_refused_before_the_call(self):
        c = self.calc
        with self.assertRaises(OverflowError):
            c.echo(2**64)
        with self.assertRaises(TypeError):
            c.echo([1, 2])
        with self.assertRaises(TypeError):
            c.add(a=1, b=2)
        with self.assertRaises(ValueError):  # NaN is no quantity a server should store
            c.echo(math.nan)

    def test_method_arguments_arrive_in_call_order(self):
        c = self.calc
        for a, b in ((1, 2.5), (10, -4), (0.125, 1e6)):
            self.assertEqual(c.minus(a, b), a - b)
            self.assertEqual(c.add(a, b), a + b)
        self.assertIsNone(c.nothing())
        # A bound member can be kept and called again.
        minus = c.minus
        self.assertEqual([minus(i, 1) for i in range(3)], [-1.0, 0.0, 1.0])

    def test_indexed_property_put_and_get(self):
        c = self.calc
        c.value["fd1"] = 0.5
        c.value["lambda"] = 0.25
        self.assertEqual(c.value["fd1"], 0.5)
        self.assertEqual(c.value("lambda"), 0.25)  # a get with arguments reads as a call
        veldrive.put(c, "value", "fd1", 2)
        self.assertEqual(veldrive.get(c, "value", "fd1"), 2.0)
        self.assertEqual(veldrive.call(c, "minus", 5, 3), 2.0)

    def test_returned_objects_are_wrapped_and_compare_by_identity(self):
        c = self.calc
        child = c.child("kid")
        self.assertIsInstance(child, veldrive.DispatchObject)
        self.assertEqual(child.label, "kid")
        self.assertNotEqual(child, c)
        self.assertIsNone(c.holder)
        c.holder = child  # the server takes objects by reference only
        held = c.holder
        self.assertIsNot(held, child)
        self.assertEqual(held, child)
        self.assertEqual(hash(held), hash(child))
        self.assertEqual(c.echo(c), c)

    def test_dropping_the_parent_keeps_a_returned_object_alive(self):
        child = self.calc.child("orphan")
        del self.calc
        gc.collect()
        self.assertFalse(veldrive._can_unload(CALC))
        self.assertEqual(child.label, "orphan")
        del child
        gc.collect()
        self.assertTrue(veldrive._can_unload(CALC))
        self.calc = None


class CalcErrors(ReleasesEverything):
    def setUp(self):
        self.calc = veldrive.Dispatch(CALC)

    def tearDown(self):
        del self.calc
        super().tearDown()

    def assertComError(self, hresult, text, call):
        with self.assertRaises(veldrive.ComError) as caught:
            call()
        self.assertEqual(caught.exception.hresult, hresult)
        self.assertIn(text, caught.exception.message)
        return caught.exception

    def test_failure_carries_the_messages_the_server_showed(self):
        error = self.assertComError(E_FAIL, "Calc refuses on purpose.", self.calc.fail)
        self.assertEqual(error.messages, ["Calc refuses on purpose."])
        self.assertIn("0x80004005", str(error))

    def test_thread_error_information_gives_the_text(self):
        self.assertComError(E_INVALIDARG, "failWithInfo: no luck this time", self.calc.failWithInfo)
        self.assertComError(E_INVALIDARG, "no value named 'missing'", lambda: self.calc.value["missing"])

    def test_excepinfo_gives_code_and_text(self):
        self.assertComError(E_NOTIMPL, "raised through EXCEPINFO, \u00e4\u00f6\u00fc",
                            lambda: veldrive.call(self.calc, "raise"))

    def test_standard_texts_for_dispatch_codes(self):
        c = self.calc
        self.assertComError(DISP_E_BADPARAMCOUNT, "Invalid number of parameters.", lambda: c.add(1))
        self.assertComError(DISP_E_TYPEMISMATCH, "Type mismatch.", lambda: c.add("one", 2))

        def put_method():
            c.add = 1
        self.assertComError(DISP_E_MEMBERNOTFOUND, "Member not found.", put_method)

    def test_unknown_names_are_attribute_errors(self):
        c = self.calc
        error = self.assertComError(DISP_E_UNKNOWNNAME, "Unknown name.", lambda: c.Count)
        self.assertIsInstance(error, AttributeError)
        self.assertIsInstance(error, veldrive.UnknownNameError)
        self.assertFalse(hasattr(c, "noSuchMember"))
        self.assertEqual(getattr(c, "noSuchMember", 7), 7)

    def test_unknown_progid_fails_creation(self):
        self.assertComError(CO_E_CLASSSTRING, "not registered",
                            lambda: veldrive.Dispatch("NoSuch.Class.1"))
        with self.assertRaises(veldrive.ComError):
            veldrive._can_unload("NoSuch.Class.1")

    def test_class_identifier_in_braces_creates_too(self):
        other = veldrive.Dispatch("{6A0D3E51-2C4B-4F18-8B5E-172635445362}")
        self.assertEqual(other.add(2, 2), 4.0)


class TypedThroughTypeLibrary(ReleasesEverything):
    """Members whose kind and [out] parameters come from the object's type description."""

    def setUp(self):
        self.typed = veldrive.Dispatch(TYPED)

    def tearDown(self):
        del self.typed
        super().tearDown()

    def test_naming_a_method_does_not_call_it(self):
        t = self.typed
        clear = t.clear
        self.assertIsInstance(clear, veldrive.Member)
        self.assertEqual(t.clears, 0)
        clear()
        t.clear()
        self.assertEqual(t.clears, 2)

    def test_out_parameters_come_back_with_the_result(self):
        t = self.typed
        t.scale = 3.0
        for z in (0.0, 1.25, 7.5, -2.75):
            whole, fraction = t.split(z)
            self.assertEqual(whole + fraction, z)
            self.assertEqual(whole, float(int(z)))
            self.assertEqual(t.scaled(z), (3.0 * z, 2.0 * z))  # [out, retval] first

    def test_indexed_property_through_the_type_description(self):
        t = self.typed
        t.item["lambda"] = 0.25
        t.item["fd1"] = 1
        self.assertEqual(t.item["lambda"], 0.25)
        self.assertEqual(t.item("fd1"), 1.0)
        with self.assertRaises(veldrive.ComError) as caught:
            t.item["missing"]
        self.assertEqual(caught.exception.hresult, E_INVALIDARG)

    def test_dir_and_repr_name_the_interface(self):
        t = self.typed
        self.assertEqual(sorted(dir(t)), ["clear", "clears", "item", "scale", "scaled", "split"])
        self.assertIn("ITyped", repr(t))


class KernelDriveServer(ReleasesEverything):
    """The kernel's drive server, late-bound through its type library."""

    progid = SERVER

    @classmethod
    def setUpClass(cls):
        ok, output = register(os.environ["VELDRIVE_TEST_KERNEL"])
        if not ok:
            raise AssertionError("registering the kernel failed: " + output.strip())

    def setUp(self):
        self.server = veldrive.Dispatch(SERVER)

    def tearDown(self):
        del self.server
        super().tearDown()

    def test_server_answers_its_properties(self):
        s = self.server
        self.assertIn("2.0", s.version)
        self.assertEqual(s.driveCount, 0)
        self.assertEqual(s.segmentTypeCount, 9)
        self.assertEqual(s.segmentType(0), "Linear")
        self.assertEqual(s.segmentType(4), "Sine")

    def test_missing_drive_raises_the_kernels_message(self):
        with self.assertRaises(veldrive.ComError) as caught:
            self.server.drive(99)
        self.assertEqual(caught.exception.hresult, E_FAIL)
        self.assertIn("Drive with index 99 not in drive servers container.", caught.exception.message)
        self.assertIn("Drive with index 99 not in drive servers container.", caught.exception.messages)

    def test_rest_to_rest_drive_compiles_and_evaluates(self):
        s = self.server
        drv = s.newDrive("demo")
        self.assertEqual(drv.name, "demo")
        for z0, f0, law in ((0, 0, "ModSine"), (120, 50, "Linear"), (180, 50, "ModSine"),
                            (300, 0, "Linear"), (360, 0, "Linear")):
            seg = s.segment(law)
            seg.z0 = z0
            seg.f0 = f0
            drv.add(seg)
        drv.periodic = 1
        self.assertEqual(drv.compile(), 0)
        self.assertEqual((drv.z0, drv.z1, drv.f0, drv.f1), (0.0, 360.0, 0.0, 0.0))
        # Rest to rest: the rise meets both dwells with zero slope; the ends keep their f.
        head = drv.head
        self.assertEqual(head.typeName, "ModSine")
        self.assertAlmostEqual(head.fd(0.0), 0.0, places=12)
        self.assertAlmostEqual(head.fd(120.0), 0.0, places=12)
        self.assertAlmostEqual(drv.f(120.0), 50.0, places=9)
        self.assertAlmostEqual(drv.f(150.0), 50.0, places=9)
        # The rise is monotonic and its slope peaks inside.
        values = [drv.f(z) for z in range(0, 121, 5)]
        self.assertEqual(values, sorted(values))
        self.assertGreater(drv.fdmax, 0.0)
        self.assertEqual(head.next.typeName, "Linear")
        self.assertEqual(head.next.prev, head)
        table = drv.htmlTable()
        self.assertIn("<table", table.lower())

    def test_out_parameters_come_back_as_a_tuple(self):
        s = self.server
        drv = s.newDrive("fderiv")
        drv.segment = '"ModSine", 0, 0'
        drv.segment = '"Linear", 1, 1'
        self.assertEqual(drv.compile(), 0)
        seg = drv.head
        for z in (0.0, 0.1, 0.37, 0.5, 0.9):
            got = seg.fderiv(z)
            self.assertEqual(len(got), 4)
            expected = (seg.f(z), seg.fd(z), seg.fdd(z), seg.fddd(z))
            for a, b in zip(got, expected):
                self.assertAlmostEqual(a, b, places=12)

    def test_segment_values_by_index(self):
        seg = self.server.segment("ModSine")
        seg.value["fd1"] = 0.5
        self.assertEqual(seg.value["fd1"], 0.5)
        self.assertEqual(seg.fd1, 0.5)
        self.assertTrue(seg.isVarValue("fd1"))

    def test_format_string_pair_refused_by_the_type_raises(self):
        drv = self.server.newDrive("format")
        with self.assertRaises(veldrive.ComError) as caught:
            drv.segment = '"Sine", 0, 0, "fd1", 0.5'
        self.assertEqual(caught.exception.hresult, E_INVALIDARG)
        self.assertEqual(drv.head.typeName, "Sine")  # the segment stays without the value

    def test_calls_that_had_no_effect_raise(self):
        """Each used to pass silently: None, nothing done, or a message on standard error only."""
        s = self.server
        drv, other = s.newDrive("hostile"), s.newDrive("other")
        line = s.segment("Linear")
        other.add(line)

        def put(obj, name, value):
            return lambda: setattr(obj, name, value)

        def put_value(seg, name, value):
            def call():
                seg.value[name] = value
            return call
        cases = [
            ("format string that is none", put(drv, "segment", "garbage"), "expected"),
            ("value the type does not take", put_value(s.segment("Linear"), "Ca", 5),
             "DRV_E_UNSUPPORTED_PARAM: Ca"),
            ("segment of another drive", lambda: drv.add(line), "invalid drive segment"),
            ("put the drive refuses", put(drv, "z0", 5.0), "did not take the value"),
        ]
        for name, call, text in cases:
            with self.subTest(name):
                with self.assertRaises(veldrive.ComError) as caught:
                    call()
                self.assertIn(text, caught.exception.message)
        with self.assertRaises(ValueError):
            line.z0 = math.nan
        self.assertEqual(line.z0, 0.0)

    def test_a_misspelt_name_is_no_new_member(self):
        seg = self.server.segment("ModSine")
        with self.assertRaises(AttributeError):
            seg.lamda = 0.4  # used to become a member of its own
        with self.assertRaises(AttributeError):
            veldrive.put(seg, "lamda", 0.4)
        seg._dynamic["note"] = "asked for"
        self.assertEqual(seg.note, "asked for")
        self.assertEqual(seg._dynamic["note"], "asked for")

    def test_server_keeps_added_drives_until_released(self):
        s = self.server
        drv = s.newDrive("kept")
        s.add(drv)
        self.assertEqual(s.driveCount, 1)
        self.assertEqual(s.driveByName("kept"), drv)
        self.assertEqual(s.drive(0).name, "kept")
        s.remove(drv)
        self.assertEqual(s.driveCount, 0)

    def test_example_script_runs(self):
        done = subprocess.run([sys.executable, os.environ["VELDRIVE_EXAMPLE"]],
                              capture_output=True, text=True, env=os.environ, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("<table", done.stdout.lower())
        self.assertIn("fddd", done.stdout)


if __name__ == "__main__":
    unittest.main()
