#pragma once

// State of one command as the targets on its route decide it: enabled, and
// checked when some target says so.
struct QVCmdUI
{
    int m_nID = 0;
    bool m_bEnabled = true;
    bool m_bCheckSet = false;
    bool m_bChecked = false;

    void Enable(bool enable) { m_bEnabled = enable; }
    void SetCheck(bool check)
    {
        m_bCheckSet = true;
        m_bChecked = check;
    }
};

// Something a command can be routed to. The main frame offers a command to
// the active view, its document, the active child frame, the application and
// itself, in that order; the first target that handles it runs it.
class QVCmdTarget
{
public:
    virtual ~QVCmdTarget() = default;

    // Runs the command when this target handles it.
    virtual bool OnCmdMsg(int id) = 0;
    // Whether this target handles the command, without running it.
    virtual bool HasCmdHandler(int id) const = 0;
    // Decides the command's state when this target has a state rule for it.
    virtual bool OnUpdateCmdUI(QVCmdUI&) { return false; }
};
