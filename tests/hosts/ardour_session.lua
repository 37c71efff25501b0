-- A headless Ardour session with an instrument on a MIDI track that plays a
-- melody, driven as a user drives it:
--
--   ardour7-lua ardour_session.lua render SESSION_DIR PLUGIN_NAME MELODY RATE OUT_WAV
--       builds the session and exports it to OUT_WAV;
--   ardour7-lua ardour_session.lua save SESSION_DIR PLUGIN_NAME MELODY RATE PARAMETERS
--       builds the session, sets the instrument's parameters through Ardour's
--       controls (PARAMETERS is "INDEX=VALUE,..."), saves and closes it;
--   ardour7-lua ardour_session.lua reopen SESSION_DIR MELODY RATE OUT_WAV
--       opens the saved session and exports it to OUT_WAV.
--
-- PLUGIN_NAME "lv2:URI" names the LV2 plug-in of that URI, which must lie on
-- LV2_PATH; any other name is a Linux VST's, which must lie on LXVST_PATH and
-- already be in Ardour's plug-in cache (run ardour-vst-scanner on it first):
-- the session does not scan.
-- MELODY holds 'start_beat length_beats note velocity' lines at 120 beats
-- per minute. The last line printed on success starts with "exported:" or
-- "saved:".

io.stdout:setvbuf("no")

local usage = "usage: ardour_session.lua render SESSION_DIR PLUGIN_NAME MELODY RATE OUT_WAV\n" ..
              "   or: ardour_session.lua save SESSION_DIR PLUGIN_NAME MELODY RATE PARAMETERS\n" ..
              "   or: ardour_session.lua reopen SESSION_DIR MELODY RATE OUT_WAV"
local mode, session_dir = arg[1], arg[2]
local plugin_name, melody_path, rate, out_wav, parameters
if mode == "render" or mode == "save" then
	plugin_name, melody_path, rate = arg[3], arg[4], tonumber(arg[5])
	if mode == "render" then out_wav = arg[6] else parameters = arg[6] end
elseif mode == "reopen" then
	melody_path, rate, out_wav = arg[3], tonumber(arg[4]), arg[5]
end
assert(session_dir and melody_path and rate and (out_wav or parameters), usage)
local SESSION_NAME = "hosts"

local SAMPLES_PER_BEAT = rate / 2 -- 120 beats per minute
-- The float, undithered WAV format of the preset installed beside this script.
local EXPORT_PRESET = "5e1ad2c4-8f0b-4a57-9d53-0f3c51d1e7a9"

local function read_melody(path)
	local notes = {}
	for line in io.lines(path) do
		line = line:gsub("#.*", "")
		local start, length, note, velocity = line:match("^%s*(%S+)%s+(%S+)%s+(%S+)%s+(%S+)%s*$")
		if start then
			notes[#notes + 1] = { start = tonumber(start), length = tonumber(length),
			                      note = tonumber(note), velocity = tonumber(velocity) }
		end
	end
	assert(#notes > 0, "no notes in " .. path)
	return notes
end

-- Beats as Ardour counts them: whole beats and 1920 ticks per beat.
local function beats(value)
	local whole = math.floor(value)
	return Temporal.Beats(whole, math.floor((value - whole) * 1920 + 0.5))
end

local notes = read_melody(melody_path)
local last_beat = 0
for _, n in ipairs(notes) do last_beat = math.max(last_beat, n.start + n.length) end
-- Half a beat of silence after the last note, in whole beats.
local length = math.ceil(last_beat + 0.5) * SAMPLES_PER_BEAT

-- Ardour 7.3 does some of its work in other threads (the butler, port
-- auto-connection) and races with a script that goes on at once: each step
-- that hands work to them gets time to settle.
local function settle() ARDOUR.LuaAPI.usleep(500000) end

-- The Dummy backend is not listed by available_backends() but is accepted.
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no Dummy backend")

local function export_to(path)
	local export = Session:simple_export()
	export:set_name(path:match("([^/]+)%.wav$"))
	export:set_folder(path:match("^(.*)/[^/]+$"))
	export:set_range(0, length)
	assert(export:set_preset(EXPORT_PRESET), "export preset missing")
	assert(export:check_outputs(), "nothing to export")
	assert(export:run_export(), "export failed")
	print(string.format("exported: %s (%d samples at %d Hz)", path, length, rate))
end

if mode == "reopen" then
	assert(load_session(session_dir, SESSION_NAME), "cannot open the session in " .. session_dir)
	settle()
	export_to(out_wav)
	close_session()
	return
end

assert(create_session(session_dir, SESSION_NAME, rate), "cannot create session in " .. session_dir)
settle()

-- A missing plug-in is the null plug-in info (a nil argument crashes Ardour).
local no_instrument = ARDOUR.LuaAPI.new_plugin_info("", ARDOUR.PluginType.LXVST)
local plugin_type, plugin_id = ARDOUR.PluginType.LXVST, plugin_name
if plugin_name:match("^lv2:") then plugin_type, plugin_id = ARDOUR.PluginType.LV2, plugin_name:sub(5) end
local midi_in = ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1)
local stereo_out = ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2)
local function new_midi_track(name)
	local tracks = Session:new_midi_track(midi_in, stereo_out, true, no_instrument, nil, nil, 1, name,
	                                      ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
	assert(tracks:size() == 1, "cannot create track " .. name)
	settle()
	return tracks:front()
end

-- The instrument goes onto an existing track, as a user adds it: handing it
-- to new_midi_track now and then makes Ardour register the track's output
-- ports twice and fail.
local synth = new_midi_track("synth")
local instrument = ARDOUR.LuaAPI.new_plugin(Session, plugin_id, plugin_type, "")
assert(not instrument:isnil(),
       "Ardour cannot load the plug-in '" .. plugin_name .. "' (not on its path, or not scanned)")
assert(synth:add_processor_by_index(instrument, 0, nil, true), "cannot add the instrument to the track")
settle()
print("instrument: " .. synth:nth_plugin(0):display_name())

-- Ardour 7.3's Lua cannot import MIDI files, but bouncing a MIDI track with
-- no instrument yields a MIDI region whose model takes notes.
local helper = new_midi_track("notes")
local region = helper:bounce_range(0, length, ARDOUR.InterThreadInfo(), helper:main_outs(), false, "notes", false)
assert(not region:isnil(), "bounce gave no region")
local model = region:to_midiregion():midi_source(0):model()
local command = model:new_note_diff_command("melody")
for _, n in ipairs(notes) do
	command:add(ARDOUR.LuaAPI.new_noteptr(1, beats(n.start), beats(n.length), n.note, n.velocity))
end
model:apply_command(Session, command)
synth:playlist():add_region(region, Temporal.timepos_t(0), 1, false, 0, 0, false)
-- The track's disk reader takes the new region in the butler thread; an
-- export started before then plays the old, empty playlist.
settle()

if mode == "render" then
	export_to(out_wav)
	close_session()
	return
end

-- Each value goes through the plug-in's control, as a generic control,
-- automation or a preset recall sets it.
local processor = synth:nth_plugin(0)
for index, value in parameters:gmatch("(%d+)=([^,]+)") do
	assert(ARDOUR.LuaAPI.set_processor_param(processor, tonumber(index), tonumber(value)),
	       "cannot set parameter " .. index)
end
settle()
assert(Session:save_state("", false, false, false), "cannot save the session")
print("saved: " .. session_dir)
close_session()
