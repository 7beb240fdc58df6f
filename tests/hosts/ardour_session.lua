-- A new headless Ardour session around the module: one MIDI track with Glimmerwick as its
-- instrument, the given parameters, one MIDI region holding the given notes; the master
-- bus exported to a float WAV, then the session saved.
--
-- ardour7-lua ardour_session.lua SESSION_DIR NAME EXPORT_DIR PRESET_UUID SECONDS PARAMS NOTES
--             [LV2_URI PRESET_LABEL]
--   PARAMS: index=value,... (normalised for the LinuxVST module, own units for LV2)
--   NOTES: startBeat:lengthBeats:key:velocity,...
--   LV2_URI: take the LV2 plug-in of that URI instead of the LinuxVST module, and load its
--   preset labelled PRESET_LABEL before setting PARAMS.
-- Prints "session ready" last when everything succeeded.

local dir, name, exportDir, preset = arg[1], arg[2], arg[3], arg[4]
local seconds, params, notes = tonumber(arg[5]), arg[6], arg[7]
local lv2Uri, presetLabel = arg[8], arg[9]
local rate = 48000
local ticksPerBeat = 1920

local session = create_session(dir, name, rate)
assert(session, "cannot create the session")
-- The headless engine's blocks: the phrase's notes (every half second) fall inside them.
print("block", Session:get_block_size())

-- The plug-in list is read from the scanner's cache once the engine runs.
local info
if lv2Uri then
  info = ARDOUR.LuaAPI.new_plugin_info(lv2Uri, ARDOUR.PluginType.LV2)
  assert(not info:isnil(), "no LV2 plug-in " .. lv2Uri)
else
  for p in ARDOUR.LuaAPI.list_plugins():iter() do
    if p.name == "Glimmerwick" and p.type == ARDOUR.PluginType.LXVST then info = p end
  end
  assert(info, "Glimmerwick is not among the LinuxVST plug-ins")
end
print("plugin", info.name, info.creator, info.unique_id, info.path)

local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, info, nil, nil, 1, "Synth",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
assert(tracks:size() == 1, "cannot add the MIDI track")
local track = tracks:front()
local instrument = track:nth_plugin(0)
assert(not instrument:isnil() and instrument:display_name() == "Glimmerwick",
  "the track has no Glimmerwick instrument")

if presetLabel then
  local plugin = instrument:to_insert():plugin(0)
  local preset = plugin:preset_by_label(presetLabel)
  assert(preset, "no preset " .. presetLabel)
  assert(plugin:load_preset(preset), "cannot load the preset " .. presetLabel)
  print("preset", preset.label, preset.uri)
end

for index, value in params:gmatch("(%d+)=([%d%.eE+-]+)") do
  assert(ARDOUR.LuaAPI.set_processor_param(instrument, tonumber(index), tonumber(value)),
    "cannot set parameter " .. index)
end

-- This Ardour's Lua cannot make an empty MIDI source directly; bouncing the still empty
-- track over the wanted range yields a MIDI region of that length to write notes into.
local region = track:bounce_range(0, math.floor(seconds * rate), ARDOUR.InterThreadInfo(),
  ARDOUR.LuaAPI.nil_proc(), false, "phrase", false)
assert(not region:isnil(), "cannot make a MIDI region")
local model = region:to_midiregion():model()
local command = model:new_note_diff_command("add notes")
local function beats(b)
  local whole = math.floor(b)
  return Temporal.Beats(whole, math.floor((b - whole) * ticksPerBeat + 0.5))
end
local count = 0
for start, length, key, velocity in notes:gmatch("([%d%.]+):([%d%.]+):(%d+):(%d+)") do
  command:add(ARDOUR.LuaAPI.new_noteptr(0, beats(tonumber(start)), beats(tonumber(length)),
    tonumber(key), tonumber(velocity)))
  count = count + 1
end
model:apply_command(Session, command)
track:playlist():add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
print("notes", count)

local export = Session:simple_export()
assert(export:set_preset(preset), "the float WAV export preset is missing")
export:set_folder(exportDir)
export:set_name(name)
export:set_range(0, math.floor(seconds * rate))
assert(export:check_outputs(), "the master bus has no outputs to export")
assert(export:run_export(), "export failed")

assert(Session:save_state("", false, false, false, false, false) == 0, "cannot save")
print("session ready")
