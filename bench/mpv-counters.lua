-- Loaded into the mpv command-line player when it stands as a benchmark anchor: prints, when it
-- quits, how many frames it dropped. (Its first frame is taken from its own log.)
local output_drops, decoder_drops = 0, 0
-- The counters are read while playing: they are gone by the time mpv shuts down.
mp.add_periodic_timer(0.5, function()
    output_drops = mp.get_property_number("frame-drop-count", output_drops)
    decoder_drops = mp.get_property_number("decoder-frame-drop-count", decoder_drops)
end)
mp.register_event("shutdown", function()
    io.stderr:write(string.format("bench-mpv: output_drops=%d decoder_drops=%d\n",
        output_drops, decoder_drops))
end)
