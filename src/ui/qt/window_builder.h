#pragma once
// Builds a window and its controls from its table (app/window_table.h). Every widget's
// objectName is the control's name; the window's is the window's name.
//
// Widget classes by kind: button QPushButton, edit box QLineEdit, label and transparent label
// QLabel, group box QGroupBox, picture box PictureBox, list view ListView, combo box QComboBox,
// tab control TabControl (a QTabWidget), curve chart CurveChartView, web browser BrowserBox.
//
// Geometry: the table gives a window's outer position and size. The window is placed there with
// its client area first set to that size; once the platform reports a frame, the client area
// shrinks so that the frame has the tabled size (offscreen there is no frame, so the client
// area keeps the full size).

#include <QMainWindow>
#include <QString>
#include <QTabWidget>

#include "app/window_table.h"

class QAction;
class QMenu;

namespace quillet {

// Must be called before QApplication exists: the lazily loaded web engine needs the shared
// OpenGL contexts set up at application start.
void prepareApplicationAttributes();

// The window is a top-level window owned by `owner` when one is given (it stays usable beside
// it). The caller owns the result.
QMainWindow* buildWindow(const WindowDef& def, QWidget* owner = nullptr);

// The window's hidden top-level menus by caption, and their items by caption; nullptr if none.
QMenu* findMenu(QWidget* window, const QString& caption);
QAction* findMenuItem(QWidget* window, const QString& caption);

// A tab control whose pages share its own origin: a control at (x, y) on a page sits at (x, y)
// from the tab control's top-left corner, tab strip included, as the layout tables assume.
class TabControl : public QTabWidget {
    Q_OBJECT

public:
    explicit TabControl(QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void tabInserted(int index) override;

private:
    void spreadPages();
};

}  // namespace quillet
