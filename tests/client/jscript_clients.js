// Brindle0200 from JScript, written as a JScript author writes it: roots as
// hexadecimal literals (doubles above 2^31), property reads without
// parentheses, object literals as application objects, null for Nothing.
var HKCU = 0x80000001, HKLM = 0x80000002, REG_SZ = 1, sdtLong = 1;
var OVERFLOW = 0x8002000A, OBJECT_NOT_SET = 0x800A005B;
var shell = new ActiveXObject("WScript.Shell");
var r = new ActiveXObject("Brindle0200.orvRegistry2");
var s = new ActiveXObject("Brindle0200.orvOrvaneSettings2");
var stamp = new Date().getTime() + " " + Math.floor(Math.random() * 1000000);
var key = "Software\\OrvaneTests\\js " + stamp;
var title = "OrvaneTest js " + stamp;
var family = "Software\\Larkspur Forge\\Orvane\\";

// Roots as unsigned numbers; every other parameter keeps the automation rules.
check("IsKeyExist with HKCU as a double", function () { return r.IsKeyExist(HKCU, "Software") === true; });
check("IsKeyExist with HKLM as a double", function () { return r.IsKeyExist(HKLM, "Software") === true; });
check("the signed form still works", function () { return r.IsKeyExist(-2147483647, "Software") === true; });
check("SetValue and GetValue under HKCU", function () {
  return r.SetValue(HKCU, key, "text", REG_SZ, "Hello") && r.GetValue(HKCU, key, "text").Data === "Hello" &&
         shell.RegRead("HKCU\\" + key + "\\text") === "Hello";
});
check("a root past 32 bits overflows", function () { return errorOf(function () { r.IsKeyExist(4294967297, "Software"); }) === OVERFLOW; });
check("a root that is not whole overflows", function () { return errorOf(function () { r.IsKeyExist(HKCU + 0.5, "Software"); }) === OVERFLOW; });
check("a data type past 2^31 is not a root", function () { return errorOf(function () { r.ValueDataTypeToString(0x80000001); }) === OVERFLOW; });

// A method without required arguments answers a property read.
check("Count without parentheses", function () {
  var c = r.GetValues(HKCU, key, true);
  return c.Count === 1 && c.Count() === 1 && c.Item(1).Name === "text";
});
check("LastRegError is a property", function () { return r.LastRegError === 0; });
check("a method with required arguments still needs a call", function () {
  return errorOf(function () { return r.GetValues; }) !== 0;
});

// Object literals as application objects, null as Nothing.
var app = {Title: title, Major: 2, Minor: 5};
check("GetSettingPath2 of an object literal", function () {
  return s.GetSettingPath2({Title: "App", Major: 2, Minor: 5}) === family + "App\\Version 2.05";
});
check("SaveSetting2 and LoadSetting2 round trip", function () {
  return s.SaveSetting2("", "Count", sdtLong, 7, app) === true && s.LoadSetting2("", "Count", sdtLong, 0, app) === 7 &&
         shell.RegRead("HKCU\\" + family + title + "\\Version 2.05\\Count") === 7;
});
check("the previous version is found", function () { return s.LoadSetting2("", "Count", sdtLong, 0, {Title: title, Major: 3, Minor: 0}) === 7; });
function nothingError(f) {
  try { f(); } catch (e) { return (e.number >>> 0) === OBJECT_NOT_SET && e.description.indexOf("AppObject is Nothing") === 0; }
  return false;
}
check("null AppObject in LoadSetting2 is Nothing", function () { return nothingError(function () { s.LoadSetting2("", "x", sdtLong, 0, null); }); });
check("null AppObject in SaveSetting2 is Nothing", function () { return nothingError(function () { s.SaveSetting2("", "x", sdtLong, 1, null); }); });
check("null AppObject in GetSettingPath2 is Nothing", function () { return nothingError(function () { s.GetSettingPath2(null); }); });
check("an object without Minor is refused by name", function () {
  try { s.GetSettingPath2({Title: "App", Major: 2}); } catch (e) { return e.description.indexOf("AppObject.Minor") >= 0; }
  return false;
});

r.DeleteKey(HKCU, key, true);
r.DeleteKey(HKCU, family + title, true);
tally();
