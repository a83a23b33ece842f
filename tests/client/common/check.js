// Shared by the JScript client scripts: each check counts as passed or
// failed, and an error thrown by the checked function counts as a failure.
var passed = 0, failed = 0;

function hex(n) { return (n >>> 0).toString(16).toUpperCase(); }

function check(name, f) {
  try {
    if (f() === true) { passed++; return; }
    WScript.Echo("FAIL " + name);
  } catch (e) {
    WScript.Echo("FAIL " + name + ": error &H" + hex(e.number) + " " + e.description);
  }
  failed++;
}

// The error number a call throws, or 0 when it throws none.
function errorOf(f) {
  try { f(); } catch (e) { return e.number >>> 0; }
  return 0;
}

// The closing line the harness reads; a script that dies before it fails.
function tally() { WScript.Echo(passed + " passed, " + failed + " failed"); }
