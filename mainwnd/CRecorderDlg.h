#pragma once
#include "CDialog.h"
#include "CComboBox.h"
#include "CSliderCtrl.h"
#include "CStatusBarCtrl.h"
#include "CImageList.h"
#include "CControlFont.h"
#include "CLabelToolBar.h"
#include "CLevelMeter.h"
#include "CStaticLink.h"
#include "CWaveDevice.h"

class CLeftoverTake;

const UINT_PTR TIMER_POSITION = 1;
// Posted by the start-up sequence: a take an earlier Vorsel left is offered once the window shows.
const UINT WM_OFFER_LEFTOVER = WM_APP + 1;

// Refreshes the level meter, 20 times a second, while a take records or a sound plays.
const UINT_PTR TIMER_LEVEL = 2;
const UINT LEVEL_PERIOD_MS = 50;

// The recorder's one window: owns the device and everything on the screen.
class CRecorderDlg : public CDialog {
public:
    explicit CRecorderDlg(CWnd* parent = nullptr);

    // Display of content that has just become available (slider range, thumb, both times).
    void ShowLength(DWORD length);
    void ShowStatus(UINT id);
    void ApplyFormat();
    void ShowFormat();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void CreateStatusBar();
    void CreateToolBar();
    void ClearCheckMarks();
    void RefreshCommandState() { UpdateDialogControls(this, FALSE); }

    void OnBrowse();
    void OnTimer(UINT_PTR id);
    void OnSliderReleased(NMHDR* header, LRESULT* result);
    void OnPause();
    void OnPlay();
    void OnRecord();
    void OnStop();
    void OnSave();
    void OnAbout();
    BOOL OnHelpInfo(HELPINFO* info);
    void OnHelpContents();
    void OnAudioProperties();
    void OnExit();
    LRESULT OnMciNotify(WPARAM code, LPARAM deviceId);
    LRESULT OnSysCommand(WPARAM command, LPARAM lParam);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT OnOfferLeftover(WPARAM, LPARAM);

    LRESULT OnDpiChanged(WPARAM dpi, LPARAM suggested);

public:
    CImageList m_imlHot;
    CImageList m_imlCold;
    CLabelToolBar m_wndToolBar;
    BOOL m_bShowTextLabels;
    CStatusBarCtrl m_wndStatusBar;
    int m_nStatusParts[2];
    CLevelMeter m_wndLevelMeter;
    CComboBox m_cbSampleRate;
    CComboBox m_cbBits;
    CComboBox m_cbChannels;
    CSliderCtrl m_ctlPosition;
    CString m_strFileName;
    CString m_strPosition;
    CString m_strLength;
    HICON m_hIcon;
    CStaticLink m_linkHome;
    CWaveDevice m_wave;

private:
    // A take or a play runs on the device, or a play is paused.
    BOOL IsDeviceRunning() const { return m_wave.m_bRecording || m_wave.m_bPlaying || m_wave.m_bPaused; }
    void ShowRunEnded(BOOL wasRunning);
    // The meter runs from a Record or Play that started until nothing records or plays.
    void StartLevelMeter();
    void StopLevelMeter();
    void ShowLevel();
    void ShowRunFailed(BOOL wasRecording);
    void ShowFileName(const CString& name);
    // A save's yield: the window as under a modal box while the save copies, and how far it is.
    BOOL ShowSaving(DWORD percent);
    void EndSaving();

    // A take an earlier Vorsel left becomes the unsaved take, or goes for good.
    void OpenLeftover(const CLeftoverTake& take);
    void DeleteLeftover(const CLeftoverTake& take);

    void ShowNameRefused();

    // Pixels at 96 DPI to pixels at the window's DPI. Every size the window sets in pixels
    // goes through here: the template's dialog units scale by themselves, pixels do not.
    int Scale(int pixelsAt96) const { return ::MulDiv(pixelsAt96, static_cast<int>(m_nDpi), 96); }
    SIZE ToolBarImageSize() const;
    SIZE ToolBarRoom() const;
    void ShowToolBarImages();
    void LoadImageList(CImageList& list, UINT bitmapId, UINT message);
    void FitStatusBar();
    void SetSmallIcon();
    // Everything sized in pixels, once more for a new DPI.
    void FitToDpi();

    // The window's DPI (96 at 100 %): the monitor's, set at start-up and when the window moves
    // to a monitor of another scale.
    UINT m_nDpi = 96;
    // The fonts the bars chose at creation, made again for the window's DPI.
    CControlFont m_fontToolBar;
    CControlFont m_fontStatusBar;
    // The text Vorsel itself last put into the file name field: any other is the user's.
    CString m_strFileNameShown;

    // TRUE when the user answers Yes to giving up the unsaved take, or there is none.
    BOOL MayDiscardTake(LPCSTR question);

    // What was started last, Record or Play: a failure notice that comes after a Stop has
    // cleared the device's flags still names the right one.
    BOOL m_bRecordedLast = FALSE;
    // A take exists that no Save has written: from a Record that starts until a Save of it
    // succeeds, a Stop finds it holds nothing, or opening a file or a new Record puts something
    // else in its place.
    BOOL m_bTakeUnsaved = FALSE;
    // The status text ShowStatus was last given; a save in progress shows its own meanwhile.
    UINT m_nStatusId = 0;
    // A save is copying: the window is disabled, and a close asked for meanwhile (its command)
    // waits for the save's end.
    BOOL m_bSaving = FALSE;
    DWORD m_dwSavingShown = 0;
    HWND m_hFocusBeforeSave = nullptr;
    UINT m_nCloseAfterSave = 0;
    BOOL m_bSessionEnding = FALSE;

    DECLARE_MESSAGE_MAP()
};
