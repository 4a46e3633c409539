#include "CRecorderDlg.h"
#include "CAboutDlg.h"
#include "FormatTime.h"
#include "CFileDialog.h"
#include "CMenu.h"
#include "UiSeam.h"
#include "CWinApp.h"
#include "resource.h"
#include <vector>

namespace {
const char CLOSE_QUESTION[] = "The recording has not been saved.\nDiscard it and close Vorsel?";
const char RECORD_QUESTION[] = "The recording has not been saved.\nDiscard it and record a new one?";

bool FileExists(const char* path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

// The program file's full path, however long: a cut path would name the wrong file.
CString ModulePath()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return CString();
        if (length < buffer.size())
            return CString(buffer.data());
        buffer.resize(buffer.size() * 2);
    }
}

// The program's folder; withSeparator keeps the last backslash.
CString ModuleFolder(bool withSeparator)
{
    CString path = ModulePath();
    const size_t slash = LastPathSeparator(path);
    if (slash == std::string::npos)
        return CString();
    return CString(path.substr(0, withSeparator ? slash + 1 : slash));
}

// A program of the system's own folder, by its full path: a bare name is looked for in the
// current folder first, and the chooser makes that whatever folder the user last chose.
CString SystemProgram(const char* name)
{
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString(name);
    CString path;
    path.Format("%s\\%s", folder, name);
    return path;
}

// "44100 Hz" gives 44100: the digits from the start, up to the first other character.
DWORD LeadingNumber(const CString& text)
{
    DWORD value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<DWORD>(c - '0');
    }
    return value;
}

void SelectExact(CComboBox& list, const char* text)
{
    const int found = list.FindStringExact(0, text);
    if (found != CB_ERR)
        list.SetCurSel(found);
}
}

BEGIN_MESSAGE_MAP(CRecorderDlg, CDialog)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_WM_TIMER()
    ON_NOTIFY(NM_RELEASEDCAPTURE, IDC_SLIDER, OnSliderReleased)
    ON_COMMAND(ID_PAUSE, OnPause)
    ON_COMMAND(ID_PLAY, OnPlay)
    ON_COMMAND(ID_RECORD, OnRecord)
    ON_COMMAND(ID_STOP, OnStop)
    ON_COMMAND(ID_SAVE, OnSave)
    ON_COMMAND(ID_ABOUT, OnAbout)
    ON_WM_HELPINFO()
    ON_COMMAND(ID_HELP_CONTENTS, OnHelpContents)
    ON_COMMAND(ID_AUDIO_PROPERTIES, OnAudioProperties)
    ON_COMMAND(ID_EXIT, OnExit)
    ON_MESSAGE(MM_MCINOTIFY, OnMciNotify)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_MESSAGE(WM_ENDSESSION, OnEndSession)
END_MESSAGE_MAP()

CRecorderDlg::CRecorderDlg(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_bShowTextLabels(FALSE),
      m_nStatusParts(),
      m_strPosition("00:00:00"),
      m_strLength("00:00:00"),
      m_hIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_linkHome(nullptr, FALSE)
{
}

void CRecorderDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_SAMPLERATE, m_cbSampleRate);
    DDX_Control(pDX, IDC_BITS, m_cbBits);
    DDX_Control(pDX, IDC_CHANNELS, m_cbChannels);
    DDX_Control(pDX, IDC_SLIDER, m_ctlPosition);
    DDX_Control(pDX, IDC_FILENAME, m_ctlFileName);
    // What the user typed is the name Save is to use: no refresh may put the stored name back
    // over it, or Save would overwrite a file the user did not name.
    if (pDX->m_bSaveAndValidate || !m_ctlFileName.GetModify())
        DDX_Text(pDX, IDC_FILENAME, m_strFileName);
    DDX_Text(pDX, IDC_POSITION, m_strPosition);
    DDX_Text(pDX, IDC_LENGTH, m_strLength);
}

BOOL CRecorderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CMenu menu;
    menu.Attach(::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINMENU)));
    ::SetMenu(m_hWnd, menu.Detach());   // the window destroys its menu

    CreateStatusBar();
    CreateToolBar();

    m_linkHome.SubclassDlgItem(IDC_HOMELINK, this);
    m_linkHome.m_strLink = VORSEL_HOME_PAGE;

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    HANDLE small = ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON),
                                LR_DEFAULTCOLOR);
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));

    m_strFileName.Format("%s%s", ModuleFolder(true).c_str(), "sample.wav");
    if (m_wave.Open(m_strFileName))
        m_ctlPosition.SetRange(0, static_cast<int>(m_wave.GetLength() / 100), FALSE);
    UpdateData(FALSE);

    SelectExact(m_cbChannels, "Stereo");
    SelectExact(m_cbSampleRate, "44100 Hz");
    SelectExact(m_cbBits, "16 bits");

    RefreshCommandState();
    return TRUE;
}

void CRecorderDlg::CreateStatusBar()
{
    RECT rect;
    GetWindowRect(&rect);
    rect.top = rect.bottom - 25;
    m_wndStatusBar.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP | CCS_BOTTOM, rect, this,
                          IDC_STATUSBAR);
    GetWindowRect(&rect);
    m_nStatusParts[0] = rect.right - rect.left;
    m_nStatusParts[1] = -1;
    ::SendMessageA(m_wndStatusBar.m_hWnd, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(m_nStatusParts));
    m_wndLevelMeter.Create(m_wndStatusBar, { IDS_READY_INITIAL, IDS_PAUSED, IDS_STOPPED, IDS_RECORDING, IDS_READY,
                                             IDS_PLAYING, IDS_RECORDED });
    ShowStatus(IDS_READY_INITIAL);
}

void CRecorderDlg::ShowStatus(UINT id)
{
    CString text;
    text.LoadString(id);
    if (m_wndStatusBar.m_hWnd)
        m_wndStatusBar.SetText(text, 0, 0);
}

void CRecorderDlg::CreateToolBar()
{
    m_bShowTextLabels = TRUE;
    const RECT noBorders = { 0, 0, 0, 0 };
    if (!m_wndToolBar.CreateEx(this,
                               CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE | TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM | CBRS_FLYBY |
                                   CBRS_TOOLTIPS | CBRS_SIZE_DYNAMIC,
                               noBorders, IDW_TOOLBAR))
        return;
    if (!m_wndToolBar.LoadLabeledToolBar(IDR_TOOLBAR))
        return;
    m_wndToolBar.ShowWindow(SW_SHOW);
    // Record and Pause stay pressed after a click until the transport commands release them.
    m_wndToolBar.SetButtonStyle(m_wndToolBar.CommandToIndex(ID_RECORD), TBSTYLE_CHECK);
    m_wndToolBar.SetButtonStyle(m_wndToolBar.CommandToIndex(ID_PAUSE), TBSTYLE_CHECK);
    RepositionBars(IDW_TOOLBAR, IDW_CONTROLBAR_LAST);

    HBITMAP cold = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_TOOLBAR_COLD));
    m_imlCold.Create(24, 24, ILC_COLORDDB | ILC_MASK, 16, 1);
    m_imlCold.Add(cold, RGB(255, 0, 255));
    // The list the toolbar built from its blank strip is left to the toolbar: some toolbar
    // implementations destroy it themselves with the window, and destroying it here as well
    // would free it twice (its handle is reused by the next list we create).
    m_wndToolBar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imlCold.m_hImageList));

    HBITMAP hot = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDB_TOOLBAR_HOT));
    m_imlHot.Create(24, 24, ILC_COLORDDB | ILC_MASK, 16, 1);
    m_imlHot.Add(hot, RGB(255, 0, 255));
    m_wndToolBar.SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(m_imlHot.m_hImageList));

    // The lists keep copies of the images.
    if (cold)
        ::DeleteObject(cold);
    if (hot)
        ::DeleteObject(hot);
}

void CRecorderDlg::ShowLength(DWORD length)
{
    // A length the device could not tell shows as nothing, not as a made-up 17 hours.
    if (length == NO_ANSWER)
        length = 0;
    m_ctlPosition.SetRange(0, static_cast<int>(length / 100), FALSE);
    m_ctlPosition.SetPos(0);
    m_strPosition = "00:00:00";
    m_strLength = FormatTime(length);
    UpdateData(FALSE);
}

void CRecorderDlg::ApplyFormat()
{
    const WORD channels = m_cbChannels.GetCurSel() == 0 ? 2 : 1;
    CString rateText;
    m_cbSampleRate.GetLBText(m_cbSampleRate.GetCurSel(), rateText);
    const WORD bits = m_cbBits.GetCurSel() == 0 ? 8 : 16;
    m_wave.SetFormat(channels, LeadingNumber(rateText), bits);
}

void CRecorderDlg::ShowFormat()
{
    // Values the device did not answer stay at values no list holds, so their lists keep theirs.
    WORD channels = 0;
    DWORD rate = 0;
    WORD bits = 0;
    m_wave.GetFormat(&channels, &rate, &bits);
    if (channels != 0)
        SelectExact(m_cbChannels, channels == 1 ? "Mono" : "Stereo");
    CString text;
    text.Format("%lu Hz", static_cast<unsigned long>(rate));
    SelectExact(m_cbSampleRate, text);
    text.Format("%d bits", bits);
    SelectExact(m_cbBits, text);
}

void CRecorderDlg::ClearCheckMarks()
{
    const UINT ids[] = { ID_RECORD, ID_PAUSE };
    for (UINT id : ids) {
        if (m_wndToolBar.IsButtonChecked(id))
            m_wndToolBar.CheckButton(id, FALSE);
    }
}

void CRecorderDlg::OnRecord()
{
    if (!MayDiscardTake(RECORD_QUESTION)) {
        // As it was: a click has flipped the button, which is pressed only while a take runs.
        m_wndToolBar.CheckButton(ID_RECORD, m_wave.m_bRecording);
        return;
    }
    const BOOL wasRunning = IsDeviceRunning();
    m_wave.Open("");
    ApplyFormat();
    m_bTakeUnsaved = m_wave.Record(m_hWnd);
    if (m_bTakeUnsaved) {
        m_bRecordedLast = TRUE;
        m_strPosition = "00:00:00";
        m_strLength = "00:00:00";
        UpdateData(FALSE);
        SetTimer(TIMER_POSITION, 1000);
        StartLevelMeter();
    } else {
        ShowRunEnded(wasRunning);
    }
    RefreshCommandState();
}

// Open has ended the take or play that ran: its ticks, its pressed buttons and its status
// would otherwise go on showing one that is no more.
void CRecorderDlg::ShowRunEnded(BOOL wasRunning)
{
    KillTimer(TIMER_POSITION);
    StopLevelMeter();
    ClearCheckMarks();
    if (wasRunning)
        ShowStatus(IDS_STOPPED);
}

void CRecorderDlg::OnStop()
{
    KillTimer(TIMER_POSITION);
    StopLevelMeter();
    ClearCheckMarks();
    const BOOL wasRecording = m_wave.m_bRecording;
    m_wave.Stop();
    ShowStatus(IDS_RECORDED);
    if (wasRecording) {
        const DWORD length = m_wave.GetLength();
        ShowLength(length);
        ShowStatus(IDS_RECORDED);
        if (length == 0)
            m_bTakeUnsaved = FALSE;   // a take that holds nothing is nothing to lose
    }
    RefreshCommandState();
}

void CRecorderDlg::OnPlay()
{
    ClearCheckMarks();
    if (m_wave.Play(m_hWnd, 0, 0)) {
        m_bRecordedLast = FALSE;
        SetTimer(TIMER_POSITION, 100);
        StartLevelMeter();
    }
    RefreshCommandState();
}

void CRecorderDlg::OnPause()
{
    if (m_wndToolBar.IsButtonChecked(ID_RECORD))
        m_wndToolBar.CheckButton(ID_RECORD, FALSE);
    m_wave.Pause();
    ShowStatus(IDS_PAUSED);
    RefreshCommandState();
}

void CRecorderDlg::OnExit()
{
    if (!MayDiscardTake(CLOSE_QUESTION))
        return;
    KillTimer(TIMER_POSITION);
    StopLevelMeter();
    DestroyWindow();
}

// Esc, Alt+F4 and the close box arrive here, Enter in the file name field at OnOK.
void CRecorderDlg::OnCancel()
{
    if (MayDiscardTake(CLOSE_QUESTION))
        CDialog::OnCancel();
}

void CRecorderDlg::OnOK()
{
    if (MayDiscardTake(CLOSE_QUESTION))
        CDialog::OnOK();
}

BOOL CRecorderDlg::MayDiscardTake(LPCSTR question)
{
    // Owned by the window, so that it cannot be closed a second time meanwhile; a take that
    // runs goes on recording while the question is up.
    return !m_bTakeUnsaved ||
           UiMessageBox(m_hWnd, question, "Vorsel", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

LRESULT CRecorderDlg::OnMciNotify(WPARAM code, LPARAM deviceId)
{
    // Only the end of what runs now may stop it: a notice about a command that was stopped,
    // aborted or replaced comes from a device that is already gone, and so does one posted
    // by a device closed before its notice was read (a play ending as Record is clicked).
    if (code == MCI_NOTIFY_ABORTED || code == MCI_NOTIFY_SUPERSEDED ||
        static_cast<MCIDEVICEID>(deviceId) != m_wave.m_wDeviceID)
        return 0;
    const BOOL wasRecording = m_bRecordedLast;
    // A take has no end of its own but the largest size a file can hold: one that ends well
    // before a Stop reached it.
    const BOOL reachedLimit = code == MCI_NOTIFY_SUCCESSFUL && m_wave.m_bRecording;
    OnStop();
    if (code == MCI_NOTIFY_FAILURE)
        ShowRunFailed(wasRecording);
    else if (reachedLimit)
        UiMessageBox(m_hWnd,
                     "The recording reached the largest size a WAVE file can hold and was stopped. "
                     "Save it to keep it.",
                     "Vorsel", MB_ICONWARNING);
    return 0;
}

// An end the device came to by failing is no normal end: the status alone would say "recorded"
// of a take cut short by a lost input or a full disk.
void CRecorderDlg::ShowRunFailed(BOOL wasRecording)
{
    if (!wasRecording)
        UiMessageBox(nullptr, "Playback stopped: the sound output failed, or the file could not be read.", nullptr,
                     MB_ICONWARNING);
    else if (m_wave.GetLength() == 0)
        m_wave.ShowError(MCIERR_DEVICE_NOT_READY);   // the input never delivered: the take never began
    else
        UiMessageBox(nullptr,
                     "The recording stopped: the sound input or the disk failed.\n"
                     "What was recorded until then is kept.",
                     nullptr, MB_ICONWARNING);
}

LRESULT CRecorderDlg::OnEndSession(WPARAM ending, LPARAM)
{
    // The process may be ended as soon as this returns: a take ends here, so that its file in
    // the temporary folder is whole.
    if (ending && m_wave.m_bRecording)
        OnStop();
    return 0;
}

LRESULT CRecorderDlg::OnSysCommand(WPARAM command, LPARAM lParam)
{
    // The window has a fixed size, yet the status line's size grip asks for a resize all the
    // same (the control does not look at its parent's frame): the window would grow around
    // an empty band, with the status line left in its middle.
    if ((command & 0xFFF0) == SC_SIZE)
        return 0;
    return DefWindowProc(WM_SYSCOMMAND, command, lParam);
}

void CRecorderDlg::StartLevelMeter()
{
    WORD channels = 0, bits = 0;
    DWORD rate = 0;
    m_wave.GetFormat(&channels, &rate, &bits);
    m_wndLevelMeter.Start(channels, bits, m_wave.m_bRecording);
    SetTimer(TIMER_LEVEL, LEVEL_PERIOD_MS);
}

void CRecorderDlg::StopLevelMeter()
{
    KillTimer(TIMER_LEVEL);
    m_wndLevelMeter.Stop();
}

void CRecorderDlg::ShowLevel()
{
    // However the run ended, a meter must not go on showing one that is no more.
    if (!IsDeviceRunning())
        StopLevelMeter();
    else
        m_wndLevelMeter.Show(m_wave.GetLevel());
}

void CRecorderDlg::OnTimer(UINT_PTR id)
{
    if (id == TIMER_LEVEL)
        ShowLevel();
    if (id != TIMER_POSITION)
        return;
    const DWORD position = m_wave.GetPosition();
    if (m_wave.m_bRecording) {
        m_strLength = FormatTime(position);
        ShowStatus(IDS_RECORDING);
    } else {
        m_ctlPosition.SetPos(static_cast<int>(position / 100 + 1));
        m_strPosition = FormatTime(position);
        ShowStatus(m_wave.m_bPaused ? IDS_PAUSED : IDS_PLAYING);
    }
    UpdateData(FALSE);
}

void CRecorderDlg::OnSliderReleased(NMHDR*, LRESULT* result)
{
    DWORD position = m_wave.GetPosition();
    if (position > m_wave.GetLength())
        position = m_wave.GetLength();
    m_ctlPosition.SetPos(static_cast<int>(position / 100));
    m_strPosition = FormatTime(position);
    UpdateData(FALSE);
    *result = 0;
}

void CRecorderDlg::OnBrowse()
{
    CFileDialog chooser(nullptr, nullptr, OFN_HIDEREADONLY, "Wave Files (*.WAV) |*.WAV|");
    const CString folder = ModuleFolder(false);
    chooser.m_ofn.lpstrInitialDir = folder.c_str();
    if (chooser.DoModal() != IDOK)
        return;
    const CString chosen = chooser.GetPathName();
    if (m_bTakeUnsaved) {
        // The save chooser is where a take is named: a name that is new only names the take.
        if (!FileExists(chosen)) {
            ShowFileName(chosen);
            return;
        }
        CString question;
        question.Format("Open %s? The recording has not been saved and will be discarded.", chosen.c_str());
        if (!MayDiscardTake(question))
            return;
    }
    ShowFileName(chosen);
    const BOOL wasRunning = IsDeviceRunning();
    m_bTakeUnsaved = FALSE;   // open or not, the device gave the take up for this file
    if (m_wave.Open(m_strFileName)) {
        ShowFormat();
        ShowLength(m_wave.GetLength());
    }
    if (wasRunning)
        ShowRunEnded(TRUE);
    RefreshCommandState();
}

// A name the user chose replaces what the field shows, typed text included.
void CRecorderDlg::ShowFileName(const CString& name)
{
    m_strFileName = name;
    m_ctlFileName.SetModify(FALSE);
    UpdateData(FALSE);
}

void CRecorderDlg::OnSave()
{
    UpdateData(TRUE);
    if (m_strFileName.IsEmpty()) {
        UiMessageBox(nullptr, "Please enter a filename\nin a form C:\\myfiles\\recording.wav",
                     "Enter File Name", MB_ICONINFORMATION);
        ::SetFocus(GetDlgItem(IDC_FILENAME));
        return;
    }
    // Never claim a save that did not happen: the device writes nothing when it holds no content.
    if (!m_wave.m_bReady || m_wave.m_wDeviceID == 0) {
        if (m_wave.m_bRecording)
            UiMessageBox(nullptr, "A recording is still running.\nStop it first, then save it.",
                         "Recording in Progress", MB_ICONINFORMATION);
        else
            UiMessageBox(nullptr, "There is nothing to save yet.\nRecord a sound or choose a file first.",
                         "Nothing to Save", MB_ICONINFORMATION);
        return;
    }
    if (m_wave.Save(m_strFileName)) {
        m_bTakeUnsaved = FALSE;
        CString text;
        text.Format("Saved at the followin location: %s", m_strFileName.c_str());
        UiMessageBox(nullptr, text, "Sound File Saved!", MB_ICONINFORMATION);
    } else {
        UiMessageBox(nullptr, "Error when saving file!", "Error", MB_ICONERROR);
    }
}

void CRecorderDlg::OnAbout()
{
    // No parent given: the modal run makes this window the owner and disables it meanwhile,
    // while its timer and the device go on working.
    CAboutDlg about;
    about.DoModal();
}

BOOL CRecorderDlg::OnHelpInfo(HELPINFO*)
{
    return FALSE;   // there is no help file: F1 opens nothing
}

void CRecorderDlg::OnHelpContents()
{
    // Fire and forget: the browser's outcome is not ours to report.
    UiShellExecute(nullptr, "open", VORSEL_PRODUCT_PAGE, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void CRecorderDlg::OnAudioProperties()
{
    // Wine has rundll32 but no audio control panel behind it, so there its own settings
    // program (which has an Audio page) is started instead; ntdll tells Wine by this export.
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        UiShellExecute(nullptr, "open", SystemProgram("winecfg.exe"), nullptr, nullptr, SW_SHOWNORMAL);
    else
        UiShellExecute(nullptr, "open", SystemProgram("rundll32.exe"), "mmsys.cpl,ShowAudioPropertySheet",
                       nullptr, SW_SHOWNORMAL);
}
