#pragma once

#include <QUrl>
#include <functional>

class ImageCache;
class NetworkStore;
class Pasteboard;

// What the people map and its sheet work with: the process's shared
// services in the app, doubles in tests.
struct NetworkContext {
    NetworkStore& network;
    ImageCache& images;
    Pasteboard& pasteboard;
    std::function<void(const QUrl&)> openUrl;
};
