#pragma once
#include "CDialog.h"
#include "CComboBox.h"
#include "CEdit.h"
#include "CSliderCtrl.h"
#include "CStatusBarCtrl.h"
#include "CImageList.h"
#include "CLabelToolBar.h"
#include "CLevelMeter.h"
#include "CStaticLink.h"
#include "CWaveDevice.h"

const UINT_PTR TIMER_POSITION = 1;
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
    CEdit m_ctlFileName;
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

    // TRUE when the user answers Yes to giving up the unsaved take, or there is none.
    BOOL MayDiscardTake(LPCSTR question);

    // What was started last, Record or Play: a failure notice that comes after a Stop has
    // cleared the device's flags still names the right one.
    BOOL m_bRecordedLast = FALSE;
    // A take exists that no Save has written: from a Record that starts until a Save of it
    // succeeds, a Stop finds it holds nothing, or opening a file or a new Record puts something
    // else in its place.
    BOOL m_bTakeUnsaved = FALSE;

    DECLARE_MESSAGE_MAP()
};
