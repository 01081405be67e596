#pragma once

class QWidget;

namespace tandemo {

class MediaPlayer;
class CommonDialog;
class SkinFramework;

/// Makes the components the main window hosts. Each is created with the given parent, which owns
/// it. The application hands in the real ones; tests hand in fakes.
class ComponentFactory {
public:
    virtual ~ComponentFactory() = default;

    virtual MediaPlayer* createMediaPlayer(QWidget* frame) = 0;
    virtual CommonDialog* createCommonDialog(QWidget* window) = 0;
    virtual SkinFramework* createSkinFramework(QWidget* window) = 0;
};

} // namespace tandemo
