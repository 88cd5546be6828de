#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

class QAction;

namespace halvane {

// Halvane's presence in the desktop's tray: the logo, and a menu that ends
// with "Quit Halvane". Other entries go in before the quit entry.
class TrayMenu final : public QObject {
    Q_OBJECT

public:
    explicit TrayMenu(QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu& menu() { return m_menu; }
    QAction* quitAction() const { return m_quit; }
    QSystemTrayIcon& icon() { return m_icon; }

    // Puts the icon in the tray; says so in the log when the desktop has none.
    void show();
    // A short message from the tray icon (a newer version, for example).
    void showMessage(const QString& title, const QString& text);

signals:
    // The user chose "Quit Halvane".
    void quitRequested();

private:
    QMenu m_menu;
    QAction* m_quit;
    QSystemTrayIcon m_icon;
};

}  // namespace halvane
