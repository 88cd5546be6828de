#pragma once

#include <QString>

#include "Halvane/Platform/TabSelector.h"

class QDBusConnection;

namespace halvane {

// Finds and presses a tab through AT-SPI, the desktop's accessibility bus.
// Works when the bus is running and the terminal exposes its tabs (GTK, Qt and
// VTE terminals do when accessibility is on); otherwise it reports false.
class AtspiTabSelector final : public TabSelector {
public:
    // maxDepth bounds the tree walk: terminal windows nest their tabs a few
    // levels below the application object.
    explicit AtspiTabSelector(int maxDepth = 12) : m_maxDepth(maxDepth) {}

    bool selectTab(std::int32_t pid, const std::string& needle) override;

private:
    struct Node {
        QString service;
        QString path;
    };
    bool walk(QDBusConnection& bus, const Node& node, int depth, const QString& needle);

    int m_maxDepth;
};

}  // namespace halvane
