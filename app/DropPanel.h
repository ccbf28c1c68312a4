#pragma once
// TDropPanel: a panel that accepts files dropped on it from the shell and reports all
// names of one drop at once.
#include <functional>
#include <string>
#include <vector>

#include "ui/Panel.h"

#include <shellapi.h>

// Sender, number of files, their full paths in the order the shell reports them.
using TDropFilesEvent = std::function<void(TControl* sender, int iFiles, const std::vector<std::string>& DropFileNames)>;

class TDropPanel : public TPanel {
public:
    TDropPanel(TControl* parent, const std::string& name);

    bool GetDragDropAccept() const { return FDragDropAccept; }
    void SetDragDropAccept(bool accept);

    TDropFilesEvent OnDropFiles;

    // The names held by a drop handle, each at its full length.
    static std::vector<std::string> DroppedNames(HDROP drop);
    // Reads every name of a drop, releases the drop and hands the names to report; an
    // exception from report goes to the application's exception display.
    static void DeliverDrop(HDROP drop, const std::function<void(int iFiles, const std::vector<std::string>& names)>& report);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void mDropFiles(HDROP drop);
    bool FDragDropAccept = false;
};
