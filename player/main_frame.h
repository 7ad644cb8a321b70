#pragma once
// The player's 800 x 600 main window without a system frame. It paints its
// own caption band and borders, dispatches the player's commands, and takes
// puzzle files dropped onto it.

#include <QWidget>

#include <cstdint>

class CTileMenderApp;
class CTileMenderDoc;

class CMainFrame : public QWidget {
    Q_OBJECT
public:
    CMainFrame(CTileMenderApp* app, CTileMenderDoc* doc, QWidget* parent = nullptr);

    // Runs a command by its number; false when the frame does not know it.
    bool OnCommand(int id);

    // Top-left that centres the frame on a screen, never above or left of it.
    static QPoint centredOrigin(const QSize& screen);

    uint32_t clockStart = 0; // tick count the running clock counts from
    int32_t elapsed = 0;     // play time before clockStart, in milliseconds

protected:
    void paintEvent(QPaintEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dropEvent(QDropEvent*) override;

private:
    void openWithDialog();
    CTileMenderApp* app_;
    CTileMenderDoc* doc_;
};
