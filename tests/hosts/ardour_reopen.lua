-- Re-opens a saved session in a fresh Ardour, reports the instrument's restored parameter
-- values and exports the master bus again.
--
-- ardour7-lua ardour_reopen.lua SESSION_DIR NAME EXPORT_DIR PRESET_UUID SECONDS INDICES
--   INDICES: index,index,...   Prints "param INDEX VALUE" per index, "reopened" last.

local dir, name, exportDir, preset = arg[1], arg[2], arg[3], arg[4]
local seconds, indices = tonumber(arg[5]), arg[6]
local rate = 48000

local session = load_session(dir, name)
assert(session, "cannot load the session")
local route = Session:route_by_name("Synth")
assert(not route:isnil(), "the MIDI track is gone")
local instrument = route:to_track():nth_plugin(0)
assert(not instrument:isnil() and instrument:display_name() == "Glimmerwick",
  "the instrument did not come back")

for index in indices:gmatch("%d+") do
  -- Reference arguments come back as a table after the result.
  local value, refs = ARDOUR.LuaAPI.get_processor_param(instrument, tonumber(index), true)
  assert(type(refs) ~= "table" or refs[3], "cannot read parameter " .. index)
  print(string.format("param %d %.6f", tonumber(index), value))
end

local export = Session:simple_export()
assert(export:set_preset(preset), "the float WAV export preset is missing")
export:set_folder(exportDir)
export:set_name(name)
export:set_range(0, math.floor(seconds * rate))
assert(export:run_export(), "export failed")
print("reopened")
