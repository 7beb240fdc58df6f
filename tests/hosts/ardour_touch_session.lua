-- A new headless Ardour session for recording automation from the plug-in's own editor:
-- one MIDI track with Glimmerwick as its instrument, the given plug-in parameters' lanes in
-- the given automation modes, saved.
--
-- ardour7-lua ardour_touch_session.lua SESSION_DIR NAME MODES [LV2_URI]
--   MODES: index=Touch|Latch,... (the plug-in's parameter numbers: the VST index or the
--   LV2 port index, the same numbers here)
--   LV2_URI: take the LV2 plug-in of that URI instead of the LinuxVST module.
-- Prints "route R processor P" and, last, "session ready" when everything succeeded.

local dir, name, modes, lv2Uri = arg[1], arg[2], arg[3], arg[4]

local session = create_session(dir, name, 48000)
assert(session, "cannot create the session")

-- Shared with the other session scripts, from this script's folder.
local addInstrumentTrack = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") ..
  "ardour_instrument.lua")
local track, instrument = addInstrumentTrack(lv2Uri)

local states = { Touch = ARDOUR.AutoState.Touch, Latch = ARDOUR.AutoState.Latch }
for index, mode in modes:gmatch("(%d+)=(%a+)") do
  local control = instrument:to_insert():to_automatable():automation_control(
    Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, tonumber(index)), false)
  assert(not control:isnil(), "no automation control " .. index)
  assert(states[mode], "no automation mode " .. mode)
  control:set_automation_state(states[mode])
end

print("route", track:to_stateful():id():to_s(), "processor", instrument:to_stateful():id():to_s())
assert(Session:save_state("", false, false, false, false, false) == 0, "cannot save")
print("session ready")
