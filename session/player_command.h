#pragma once

namespace tandemo {

/// Something the user asks of a player with a key or its right-click menu.
struct PlayerCommand {
    enum Kind {
        PlayPause,
        Stop,
        SeekBy,
        StepFrame,
        ToggleMute,
        ChangeVolume,
        SetSpeed,
        SetLinked,
        // The same moves on the player they are made in only, and the link's offset back to 0.
        SeekAloneBy,
        StepFrameAlone,
        ResetOffset,
        ResetZoom,
        ToggleFacts,
        // The frame showing, of every linked player.
        SaveFrames,
        // Both videos in one picture, split by a divider; again to leave it.
        ToggleWipeView,
        // The window's client area on the whole screen, and back.
        ToggleFullScreen,
        // Back out of full screen, else out of the wipe view.
        Leave,
        // The keys and gestures, shown over the window.
        ShowKeys,
        // In the wipe view: how the two pictures are laid over each other (the mode's number,
        // or -1 for the next), the difference's gain, more or less onion skin or flicker (+1 or
        // -1), the flicker's other picture now; measuring the difference of each frame pair
        // (again to stop), and the measurements copied.
        SetWipeMode,
        StepDifferenceGain,
        AdjustOverlay,
        FlickNow,
        MeasureDifference,
        CopyMeasurements,
        // The passage a player loops: its start or its end here, or none.
        MarkPassageStart,
        MarkPassageEnd,
        ClearPassage,
        // Lining the two videos up, by their sound or their pictures.
        AlignBySound,
        AlignByPicture,
        // Whose sound is heard: a pane's (0 or 1) or both (-1).
        HearPane,
        ToggleMirror,
        // The two panes' videos change places, each at its moment.
        SwapSides,
        // The values of the pixel under the pointer in both pictures, on or off; one video
        // pixel to one screen pixel around the pointer.
        ToggleInspector,
        PixelForPixel,
        // A magnified inset of the pictures around the pointer, on or off.
        ToggleLoupe,
        // The scopes of both pictures: the next kind, or off after the last.
        NextScope,
        // The comparison as a new video file (a file name is asked for).
        ExportComparison,
        // A video to play in this player, chosen with the open dialog.
        OpenVideo,
        // The pane that holds several renditions shows the next one, or the one of that number
        // (from 0).
        NextRendition,
        ShowRendition,
        // The time and frame showing to the clipboard, and a time or frame from it.
        CopyMoment,
        PasteMoment,
        // The filter the pane's pictures go through (see PaneFilter::Kind).
        SetFilter,
        // The peak, in nits, every HDR video's mapping to the standard range assumes (0: each
        // file's own).
        SetHdrPeak,
    };
    Kind kind;
    /// Seconds to seek by, frames to step (+1 or -1), volume steps, the speed, or 1/0 for on/off.
    double amount = 0;
};

} // namespace tandemo
