#pragma once

#include <QSize>

#include <cstdint>

class CSettingsStore;
struct CStartSettings;
class CVelumDoc;
class IPrompt;
class QPoint;
class QWidget;
struct CServices;

// What the views need of the window that holds them: the document and the
// services, the settings read at start, the screen size, the one dispatch of
// commands, the context menus and the window's own state. The main window
// implements it and alone makes the views; the views never reach the window
// any other way.
class IViewHost {
 public:
  virtual ~IViewHost() = default;

  virtual CVelumDoc& Doc() = 0;
  virtual CSettingsStore& Settings() = 0;
  virtual const CServices& Services() const = 0;
  virtual IPrompt& Prompt() = 0;
  // The settings the window reads once at start; the settings sheet replaces them.
  virtual const CStartSettings& StartSettings() const = 0;
  // The screen size the layout and menu rules read.
  virtual QSize Screen() const = 0;
  // The widget dialogs of a view are shown over.
  virtual QWidget* HostWidget() = 0;

  // Runs a command as its menu entry would; false when no view took it.
  virtual bool Dispatch(std::uint32_t id) = 0;
  // The popup of a context menu (0 item list, 1 item edits) at a global point.
  virtual void ShowContextMenu(int index, const QPoint& globalPos) = 0;
  // The view that has the focus now receives the commands routed to a view.
  virtual void SetActiveView(QWidget* view) = 0;
  // The enabled and checked states of the menus and toolbar, after a change.
  virtual void RefreshCommandStates() = 0;
  virtual void UpdateTitle() = 0;

 protected:
  IViewHost() = default;
  IViewHost(const IViewHost&) = default;
  IViewHost& operator=(const IViewHost&) = default;
};
