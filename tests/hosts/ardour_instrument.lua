-- Loaded by the session scripts (dofile): a function that adds a MIDI track "Synth" with
-- Glimmerwick as its instrument to the open session, the LV2 plug-in of lv2Uri or, for
-- nil, the LinuxVST module (from the scanner's cache, read once the engine runs). Prints
-- "plugin NAME CREATOR ID PATH"; returns the track and its instrument processor.
return function(lv2Uri)
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
  return track, instrument
end
