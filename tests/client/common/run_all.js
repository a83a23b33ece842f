// Runs many client scripts in one cscript process, each in a script engine
// of its own (so their globals stay apart), for a build whose every process
// is costly to start. Arguments: a list file with one script per line, its
// own arguments after tabs. Before each script it prints "-- <path>"; a
// script that stops on an error gets a "FAIL" line with the error's place.
var fso = new ActiveXObject("Scripting.FileSystemObject");

// What the scripts use of WScript, with the script's own arguments.
function hostFor(args) {
  return {
    Echo: function (text) { WScript.Echo(text); },
    Arguments: function (i) { return args[i]; }
  };
}

var list = fso.OpenTextFile(WScript.Arguments(0), 1);
while (!list.AtEndOfStream) {
  var line = list.ReadLine();
  if (line == "") continue;
  var fields = line.split("\t");
  var path = fields.shift();
  WScript.Echo("-- " + path);
  var engine = new ActiveXObject("MSScriptControl.ScriptControl");
  engine.Language = /\.js$/i.test(path) ? "JScript" : "VBScript";
  engine.AllowUI = false;
  engine.AddObject("WScript", hostFor(fields), true);
  try {
    engine.AddCode(fso.OpenTextFile(path, 1).ReadAll());
  } catch (e) {
    var where = engine.Error.Line ? " at line " + engine.Error.Line : "";
    WScript.Echo("FAIL stopped" + where + ": error &H" + (e.number >>> 0).toString(16).toUpperCase() + " " +
                 (e.description || engine.Error.Description));
  }
}
