-- Loaded into the mpv command-line player when it stands as a benchmark anchor: prints, when it
-- quits, how long after its start the first frame came and how many frames were dropped.
-- mpv's clock starts at 10 s when the process starts, so the first frame's time is taken less 10.
local first_frame = nil
local output_drops, decoder_drops = 0, 0
mp.register_event("playback-restart", function()
    if not first_frame then first_frame = mp.get_time() - 10 end
end)
-- The counters are read while playing: they are gone by the time mpv shuts down.
mp.add_periodic_timer(0.5, function()
    output_drops = mp.get_property_number("frame-drop-count", output_drops)
    decoder_drops = mp.get_property_number("decoder-frame-drop-count", decoder_drops)
end)
mp.register_event("shutdown", function()
    io.stderr:write(string.format("bench-mpv: first_frame=%.4f output_drops=%d decoder_drops=%d\n",
        first_frame or -1, output_drops, decoder_drops))
end)
