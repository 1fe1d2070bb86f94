// What the installation run works on in the main dialog: the check-box list and the description
// line. The worker calls these from its own thread; the list serves each call on the window's
// thread.
#pragma once

#include <windows.h>

#include <string>

#include "controls/xlist_ctrl.h"
#include "install/install_worker_win.h"

class RunUi : public tavelin::InstallRunUi {
public:
    RunUi(tavelin::CXListCtrl& list, HWND description) : m_list(list), m_description(description) {}
    tavelin::InstallList& RunList() override { return m_list; }
    void SetDescription(const std::wstring& text) override { SetWindowTextW(m_description, text.c_str()); }

private:
    class ListForRun : public tavelin::InstallList {
    public:
        explicit ListForRun(tavelin::CXListCtrl& list) : m_list(list) {}
        int RowCount() override { return m_list.RowCount(); }
        int GetRowCheck(int row) override { return m_list.GetRowCheck(row); }
        void SetRowEnabled(int row, bool enabled) override { m_list.SetRowEnabled(row, enabled); }
        void StartRowProgress(int row, const std::wstring& caption) override {
            m_list.StartRowProgress(row, caption.c_str());
        }
        void SetRowProgress(int row, int position) override { m_list.SetRowProgress(row, position); }
        void StopRowProgress(int row) override { m_list.StopRowProgress(row); }
        void SetCellText(int row, int column, const std::wstring& text) override {
            m_list.SetCellText(row, column, text);
        }
        void SetCellBold(int row, int column) override { m_list.SetCellBold(row, column); }

    private:
        tavelin::CXListCtrl& m_list;
    };

    ListForRun m_list;
    HWND m_description;
};
