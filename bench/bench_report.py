"""The tables run-bench prints from its figures, and the summary of repeated runs."""

import statistics


def summarise(samples):
    """Median and spread of repeated runs, figure by figure."""
    result = {}
    for key in samples[0]:
        values = [s[key] for s in samples if isinstance(s.get(key), (int, float))]
        lists = [s[key] for s in samples if isinstance(s.get(key), list)
                 and all(isinstance(v, (int, float)) for v in s[key])]
        if values:
            result[key] = {"median": statistics.median(values), "min": min(values),
                           "max": max(values)}
        elif lists and len({len(values) for values in lists}) == 1:
            # Figure by figure, as for single figures.
            columns = list(zip(*lists))
            result[key] = {"median": [statistics.median(c) for c in columns],
                           "min": [min(c) for c in columns], "max": [max(c) for c in columns]}
        else:
            result[key] = samples[0][key]
    return result



def median_reader(cases):
    """med(case, key): the median of a figure over a case's runs (or the figure of a single run)."""

    def med(case, key):
        value = cases.get(case, {}).get(key)
        return value["median"] if isinstance(value, dict) else value

    return med


def loop_sound_cases(cases):
    """The loop with sound, picture by picture: (case, frames a second, path, sound output)."""
    for fps in (5, 25, 30):
        for path, output in (("software", "pulse"), ("gl", "pulse"), ("software", "null")):
            case = f"loop sound {fps} fps tandemo {path} {output}"
            if case in cases:
                yield case, fps, path, output


def positions(case):
    """Each picture's stay around the loop: the medians over runs of the worse pane's median,
    and the longest of all runs."""
    medians = case.get("loop_position_median_ms", {}).get("median", [])
    longest = case.get("loop_position_longest_ms", {}).get("max", [])
    return medians, longest


def print_table(results):
    cases = results["cases"]
    med = median_reader(cases)

    print(f"\nTandemo benchmark: {results['seconds']} s per case, median of {results['runs']} "
          f"runs (3 where no target compares); {results['machine']['cpus']} CPUs, "
          f"{results['machine']['mpv']}\n")
    print("| case | CPU-s/s | peak RSS MiB | drops out/dec | vs two mpv x11 | vs decode floor |")
    print("|---|---|---|---|---|---|")
    for label in ("1080p", "720p"):
        floor = med(f"{label} decode floor", "cpu")
        anchor_cpu = med(f"{label} two mpv x11", "cpu")
        for who in ("tandemo software", "tandemo gl", "two mpv x11", "two mpv gpu", "mpv hstack"):
            case = f"{label} {who}"
            cpu, rss = med(case, "cpu"), med(case, "rss")
            drops = f"{med(case, 'output_drops'):.0f}/{med(case, 'decoder_drops'):.0f}"
            print(f"| {case} | {cpu:.3f} | {rss:.0f} | {drops} | {cpu / anchor_cpu:.2f} | "
                  f"{cpu / floor:.2f} |")
        print(f"| {label} decode floor | {floor:.3f} | | | | 1.00 |")
    for label in ("1080p", "720p"):
        anchor_cpu = med(f"{label} designed two mpv x11", "cpu")
        for who in ("tandemo software", "two mpv x11"):
            case = f"{label} designed {who}"
            cpu, rss = med(case, "cpu"), med(case, "rss")
            print(f"| {label} {who}, window as it opens | {cpu:.3f} | {rss:.0f} | "
                  f"{med(case, 'output_drops'):.0f}/{med(case, 'decoder_drops'):.0f} | "
                  f"{cpu / anchor_cpu:.2f} | |")
    for path in ("software", "gl"):
        case = f"1080p tandemo {path} wipe"
        print(f"| {case} | {med(case, 'cpu'):.3f} | {med(case, 'rss'):.0f} | "
              f"{med(case, 'output_drops'):.0f}/{med(case, 'decoder_drops'):.0f} | "
              f"{med(case, 'cpu') / med('1080p two mpv x11', 'cpu'):.2f} | |")
    for pair in ("mpg+mpeg", "avi+wmv"):
        for path in ("software", "gl"):
            case = f"{pair} tandemo {path}"
            print(f"| {case} | {med(case, 'cpu'):.3f} | {med(case, 'rss'):.0f} | "
                  f"{med(case, 'output_drops'):.0f}/{med(case, 'decoder_drops'):.0f} | | |")
    print()
    for path in ("software", "gl"):
        for label in ("1080p30", "720p25"):
            case = f"loop seam {label} tandemo {path}"
            print(f"loop ({path}, 2 s {label} clips with sound, read from the screen): the "
                  f"longest stay of a picture around a loop, median "
                  f"{med(case, 'loop_stay_median_worse_ms'):.1f} ms, longest "
                  f"{med(case, 'loop_stay_longest_ms'):.1f} ms (worse pane); last picture shown "
                  f"in {med(case, 'last_frame_shown_share'):.0%} of {med(case, 'loops'):.0f} loops")
    for case, fps, path, output in loop_sound_cases(cases):
        medians, longest = positions(cases[case])
        print(f"loop with sound ({fps} fps, {path}, {output} output), each picture's stay from the "
              f"third last of a pass to the third of the next: median "
              f"{'/'.join(f'{v:.0f}' for v in medians)} ms, longest "
              f"{'/'.join(f'{v:.0f}' for v in longest)} ms")
    for who in ("tandemo", "tandemo seeking", "mpv"):
        case = f"loop sound {who}"
        print(f"sound where a 2 s clip loops, {who}: longest silence "
              f"{med(case, 'longest_silence_ms')} ms, largest step {med(case, 'largest_step')}x "
              f"a sine's own (the clip's sine is cut mid-wave)")
    start = cases["start-up"].get("launch to window mapped", {})
    mpv_start = cases["mpv start-up"].get("launch to window mapped", {})
    close = cases["close"].get("close to exit while playing", {})
    print(f"launch to window mapped: median {start.get('median')} ms "
          f"(min {start.get('min')}, max {start.get('max')}); mpv: median {mpv_start.get('median')} ms")
    print(f"close to exit while playing: median {close.get('median')} ms "
          f"(min {close.get('min')}, max {close.get('max')})")
    for path in ("software", "gl"):
        frames = cases[f"first frames {path}"]
        left = frames.get("sample command to left first frame", {}).get("median")
        right = frames.get("sample command to right first frame", {}).get("median")
        skew = frames.get("first-frame skew between panes", {})
        print(f"sample command to first frames ({path}): left {left} ms, right {right} ms, skew "
              f"median {skew.get('median')} ms (max {skew.get('max')})")
    print(f"mpv launch to first frame (its own log): median "
          f"{cases['mpv launch to first frame']['median']} ms")
    for path in ("software", "gl"):
        side, wipe = f"1080p tandemo {path}", f"1080p tandemo {path} wipe"
        print(f"wipe view ({path}, 2x1080p30): {med(wipe, 'wipe_fps'):.1f} pictures/s, the "
              f"slower video drawn at {med(wipe, 'slowest_pane_fps'):.1f} frames/s; side by side "
              f"{med(side, 'slowest_pane_fps'):.1f}")
    if "1080p loaded tandemo software" in cases:
        print(f"two 1080p beside a busy process per core: tandemo software "
              f"{med('1080p loaded tandemo software', 'cpu'):.3f} CPU-s/s, frames skipped "
              f"{med('1080p loaded tandemo software', 'output_drops'):.0f}/"
              f"{med('1080p loaded tandemo software', 'decoder_drops'):.0f}; two mpv x11 "
              f"{med('1080p loaded two mpv x11', 'cpu'):.3f} CPU-s/s, frames skipped "
              f"{med('1080p loaded two mpv x11', 'output_drops'):.0f}/"
              f"{med('1080p loaded two mpv x11', 'decoder_drops'):.0f}")
    for label in ("720p 25+30", "1080p hevc10", "4k"):
        ours_case, mpv_case = f"{label} tandemo software", f"{label} two mpv x11"
        print(f"{label}: tandemo software {med(ours_case, 'cpu'):.3f} CPU-s/s, "
              f"{med(ours_case, 'rss'):.0f} MiB, panes at {med(ours_case, 'slowest_pane_fps'):.1f} "
              f"and {med(ours_case, 'fastest_pane_fps'):.1f} frames/s, drops "
              f"{med(ours_case, 'output_drops'):.0f}/{med(ours_case, 'decoder_drops'):.0f}; two "
              f"mpv x11 {med(mpv_case, 'cpu'):.3f} CPU-s/s, {med(mpv_case, 'rss'):.0f} MiB, drops "
              f"{med(mpv_case, 'output_drops'):.0f}/{med(mpv_case, 'decoder_drops'):.0f}; decode "
              f"floor {med(f'{label} decode floor', 'cpu'):.3f}")
    measure = cases.get("measure difference", {})
    if measure:
        print(f"measure difference, 60 s of 1080p against a re-encode: ours {measure['ours_s']:.2f} s, "
              f"ffmpeg with psnr and ssim {measure['ffmpeg_psnr_ssim_s']:.2f} s, ssim alone "
              f"{measure['ffmpeg_ssim_s']:.2f} s: ours "
              f"{measure['ffmpeg_psnr_ssim_s'] / measure['ours_s']:.2f}x as fast")
    ladder = cases.get("measure renditions", {})
    if ladder:
        print(f"measure {ladder['renditions']} renditions of 20 s of 1080p at once: ours "
              f"{ladder['ours_all_s']:.2f} s, ffmpeg once each {ladder['ffmpeg_each_sum_s']:.2f} s")
    for path in ("software", "gl"):
        switch = cases.get(f"rendition switch {path}", {})
        shown = switch.get("rendition switch to its picture on screen", {})
        memory = switch.get("memory", {})
        if shown:
            print(f"rendition switch ({path}, 1080p, paused): picture on screen after median "
                  f"{shown.get('median')} ms (max {shown.get('max')}); memory "
                  f"{memory.get('one')} MiB with one rendition, {memory.get('holding')} MiB "
                  f"holding three, {memory.get('most')} MiB at the most while switching")
    for by in ("sound", "picture"):
        align = cases.get(f"align by {by}", {})
        if align:
            print(f"align by {by}, two 3-minute 1080p takes: {align['seconds']:.2f} s, offset "
                  f"{align['offset']:+.4f} s, strength {align['strength']:.1f}, "
                  f"{align['peak_added_mib']:.0f} MiB added")
    offset = cases.get("offset sync", {})
    print(f"linked panes 1.2 s apart, playing 720p30: a moment shown in both panes apart by "
          f"median {offset.get('median_frames')} frames, 95th percentile "
          f"{offset.get('p95_frames')}, largest {offset.get('largest_frames')}")


def print_targets(results):
    """Each target of the performance work: what was measured, the limit, their ratio, met or not."""
    cases = results["cases"]
    med = median_reader(cases)

    rows = []

    def target(name, measured, limit, unit="", at_least=False):
        if measured is None:
            rows.append((name, "not measured", f"{limit:.3g}{unit}", "", "missed"))
            return
        ratio = measured / limit if limit else float("inf")
        met = measured >= limit if at_least else measured <= limit
        rows.append((name, f"{measured:.3g}{unit}", f"{limit:.3g}{unit}", f"{ratio:.2f}",
                     "met" if met else "missed"))

    for label, limit in (("1080p", 0.80), ("720p", 0.80), ("720p 25+30", 0.90),
                         ("1080p hevc10", 0.90)):
        target(f"CPU, {label} at 1280x720: tandemo software / two mpv x11",
               med(f"{label} tandemo software", "cpu") / med(f"{label} two mpv x11", "cpu"), limit)
    target("CPU, 1080p, window as it opens (594x480): tandemo software / decode floor",
           med("1080p designed tandemo software", "cpu") / med("1080p decode floor", "cpu"), 1.2)

    def skipped(case):
        return med(case, "output_drops") + med(case, "decoder_drops")

    for label in ("1080p", "720p"):
        for who, peer in (("tandemo software", "two mpv x11"), ("tandemo gl", "two mpv gpu")):
            mine, theirs = skipped(f"{label} {who}"), skipped(f"{label} {peer}")
            rows.append((f"frames skipped, {label}: {who} against {peer}", f"{mine:.0f}",
                         f"{theirs:.0f}", "", "met" if mine <= theirs else "missed"))
        target(f"CPU, {label} at 1280x720: tandemo gl / two mpv gpu (--gpu-sw)",
               med(f"{label} tandemo gl", "cpu") / med(f"{label} two mpv gpu", "cpu"), 1.0)
    # Both play two 30 frames a second videos for the same time.
    frames = 2 * 30 * results["seconds"]
    if "1080p loaded tandemo software" in cases:
        mine = skipped("1080p loaded tandemo software") / frames
        theirs = skipped("1080p loaded two mpv x11") / frames
        rows.append(("frames skipped beside a busy process per core, 1080p: tandemo software against two "
                     "mpv x11 (share of frames)", f"{mine:.2%}", f"{theirs:.2%}", "",
                     "met" if mine <= theirs else "missed"))
    for name in ("waveform", "vectorscope"):
        case, beside = f"1080p tandemo software {name}", f"1080p tandemo software beside {name}"
        skipped = med(case, "output_drops") + med(case, "decoder_drops")
        without = med(beside, "output_drops") + med(beside, "decoder_drops")
        rows.append((f"scopes ({name}) on while two 1080p play: frames skipped, against none "
                     "shown", f"{skipped:.0f}", f"{without:.0f}", "",
                     "met" if skipped <= without else "missed"))
        target(f"scopes ({name}) on while two 1080p play: CPU added (CPU-s/s)",
               med(case, "cpu") - med(beside, "cpu"), 0.15)
        target(f"scopes ({name}) on while two 1080p play: updates per second",
               med(case, "scope_updates_per_second"), 10, at_least=True)
    for path in ("software", "gl"):
        for label, fps in (("1080p30", 30), ("720p25", 25)):
            case = f"loop seam {label} tandemo {path}"
            frame = 1000 / fps
            target(f"loop, {label} {path} with sound: longest stay of a picture around it, "
                   f"median of loops (ms, on the screen)",
                   med(case, "loop_stay_median_worse_ms"), frame + 3, " ms")
            target(f"loop, {label} {path} with sound: longest stay of a picture around it, "
                   f"longest (ms, on the screen)", med(case, "loop_stay_longest_ms"), frame + 10,
                   " ms")
            shown = med(case, "last_frame_shown_share")
            rows.append((f"loop, {label} {path} with sound: share of loops whose last picture "
                         f"showed", "not measured" if shown is None else f"{shown:.2f}", "1", "",
                         "met" if shown is not None and shown >= 1 else "missed"))
    for label in ("1080p", "720p"):
        for size, case in (("594x480", f"{label} designed"), ("1280x720", label)):
            target(f"peak memory, {label} at {size}: tandemo software / two mpv x11",
                   med(f"{case} tandemo software", "rss") / med(f"{case} two mpv x11", "rss"),
                   0.85)
    target("align by picture, two 3-minute 1080p takes (s)",
           med("align by picture", "seconds"), 3, " s")
    for by in ("sound", "picture"):
        target(f"align with drift by {by}, two 3-minute 1080p takes, 25/23.976 (s)",
               med(f"align with drift by {by}", "seconds"), 2, " s")
    exported = cases.get("export side by side", {})
    target("export side by side, 60 s of two 1080p videos: time of ours / ffmpeg's with hstack",
           exported["ours_s"] / exported["ffmpeg_s"] if exported else None, 1)
    measure = cases.get("measure difference", {})
    if measure:
        rows.append(("measure difference: time of ours / ffmpeg's with psnr and ssim (reported)",
                     f"{measure['ours_s'] / measure['ffmpeg_psnr_ssim_s']:.2f}", "", "", ""))
    ladder = cases.get("measure renditions", {})
    target("measure three renditions at once: time of ours / three ffmpeg runs",
           ladder["ours_all_s"] / ladder["ffmpeg_each_sum_s"] if ladder else None, 0.6)
    for path in ("software", "gl"):
        shown = cases.get(f"rendition switch {path}", {}).get(
            "rendition switch to its picture on screen", {})
        target(f"rendition switch to its picture on screen, 1080p, median, {path}",
               shown.get("median"), 100, " ms")
    # The lowest of the 1080p and 720p clips at both panes' widths.
    pictures = cases.get("picture at pane size")
    target("picture at pane size, loop filter skipped and scaled bilinear: SSIM against the "
           "full decode scaled with lanczos, lowest", min(pictures.values()) if pictures else None,
           0.97, at_least=True)
    # A recording with no sound at all has no silence to measure (None).
    target("sound at the loop: longest silence, tandemo against mpv in the same run (ms)",
           med("loop sound tandemo", "longest_silence_ms"),
           med("loop sound mpv", "longest_silence_ms") or 0, " ms")
    target("sound at the loop: longest silence, tandemo, aim (ms)",
           med("loop sound tandemo", "longest_silence_ms"), 5, " ms")
    for case, fps, path, output in loop_sound_cases(cases):
        frame = 1000 / fps
        name = f"loop with sound, {fps} fps, {path}, {output} output"
        medians, longest = positions(cases[case])
        target(f"{name}: each picture's stay around the loop, median, the worst picture (ms)",
               max(medians) if medians else None, frame + 3, " ms")
        target(f"{name}: each picture's stay around the loop, longest (ms)",
               max(longest) if longest else None, frame + 10, " ms")
    frame = 1000 / 30
    for path in ("software", "gl"):
        motion = cases[f"first frames {path}"].get("skew between the panes' starts of motion", {})
        target(f"sample command, panes start moving apart by, median, {path}",
               motion.get("median"), frame, " ms")
        target(f"sample command, panes start moving apart by, longest, {path}",
               motion.get("max"), frame, " ms")
    fairness = med("4k tandemo software", "fairness")
    target("overload (two 4K30): faster pane's rate / slower's",
           1 / fairness if fairness else None, 1 / 0.8)
    target("overload: longest time to paint a menu", med("4k tandemo software", "menu_longest_ms"),
           100, " ms")
    rows.append(("peak memory, 4k: tandemo software / two mpv x11 (reported)",
                 f"{med('4k tandemo software', 'rss') / med('4k two mpv x11', 'rss'):.2f}", "",
                 "", ""))
    print("\n| target | measured | limit | ratio | |")
    print("|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
