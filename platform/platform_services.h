#pragma once

namespace tandemo {

class ApplicationObject;
class FileSystem;
class MessageBox;
class PictureLoader;
class ProcessControl;
class RandomSource;
class WebLauncher;

/// The platform services the window's handlers use. The application hands in the real ones;
/// tests hand in fakes.
struct PlatformServices {
    MessageBox& messageBox;
    FileSystem& fileSystem;
    ApplicationObject& application;
    PictureLoader& pictures;
    RandomSource& random;
    WebLauncher& web;
    ProcessControl& process;
};

} // namespace tandemo
