#include "CRecorderDlg.h"
#include "CAboutDlg.h"
#include "CLeftoverTake.h"
#include "FormatTime.h"
#include "CFileDialog.h"
#include "CMenu.h"
#include "UiSeam.h"
#include "CWinApp.h"
#include "resource.h"
#include <utility>
#include <vector>

namespace {
const char CLOSE_QUESTION[] = "The recording has not been saved.\nDiscard it and close Vorsel?";
const char RECORD_QUESTION[] = "The recording has not been saved.\nDiscard it and record a new one?";
const char NAME_REFUSED[] = "This file name holds characters that the system cannot pass to Vorsel.\n"
                            "Choose a name without them.";

// The toolbar's pictures come in three sizes, for 100 %, 150 % and 200 %; hot and cold are the
// same pictures.
struct ToolBarImageSet {
    int size;
    UINT cold, hot;
};
const ToolBarImageSet IMAGE_SETS[] = {
    { 24, IDB_TOOLBAR_COLD, IDB_TOOLBAR_HOT }, { 36, IDB_TOOLBAR_36, IDB_TOOLBAR_36 }, { 48, IDB_TOOLBAR_48, IDB_TOOLBAR_48 },
};

// The largest set no larger than the pictures would be if scaled (to `scaled`): a picture
// that is never stretched stays sharp.
const ToolBarImageSet& ImageSetFor(int scaled)
{
    const ToolBarImageSet* fitting = &IMAGE_SETS[0];
    for (const ToolBarImageSet& set : IMAGE_SETS)
        if (set.size <= scaled)
            fitting = &set;
    return *fitting;
}

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

CString LeftoverQuestion(const CLeftoverTake& take)
{
    CString channels;
    if (take.m_nChannels == 1 || take.m_nChannels == 2)
        channels = take.m_nChannels == 1 ? "Mono" : "Stereo";
    else
        channels.Format("%u channels", take.m_nChannels);
    const SYSTEMTIME& begun = take.m_begun;
    CString text;
    text.Format("A recording was not saved when Vorsel last ended: %s of %lu Hz, %s, %u bits, "
                "begun %04u-%02u-%02u %02u:%02u. Open it?",
                FormatTime(take.m_dwLength).c_str(), static_cast<unsigned long>(take.m_nSamplesPerSec),
                channels.c_str(), take.m_nBitsPerSample, begun.wYear, begun.wMonth, begun.wDay, begun.wHour,
                begun.wMinute);
    return text;
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
    ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
    ON_MESSAGE(WM_OFFER_LEFTOVER, OnOfferLeftover)
    ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
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
    // A name the user typed, pasted or had dictated is the name Save is to use: a refresh
    // rewrites the field only while it holds what Vorsel itself put there, or Save would write
    // a file the user did not name. (Dictation sets the text as a program does, so no flag of
    // the field tells the user's text from ours.)
    if (pDX->m_bSaveAndValidate) {
        DDX_Text(pDX, IDC_FILENAME, m_strFileName);
    } else if (CWnd::TextOf(GetDlgItem(IDC_FILENAME)) == m_strFileNameShown) {
        DDX_Text(pDX, IDC_FILENAME, m_strFileName);
        m_strFileNameShown = m_strFileName;
    }
    DDX_Text(pDX, IDC_POSITION, m_strPosition);
    DDX_Text(pDX, IDC_LENGTH, m_strLength);
}

BOOL CRecorderDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CMenu menu;
    menu.Attach(::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINMENU)));
    ::SetMenu(m_hWnd, menu.Detach());   // the window destroys its menu

    m_nDpi = GetDpi();
    CreateStatusBar();
    CreateToolBar();

    m_linkHome.SubclassDlgItem(IDC_HOMELINK, this);
    m_linkHome.m_strLink = VORSEL_HOME_PAGE;

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SetSmallIcon();

    m_strFileName.Format("%s%s", ModuleFolder(true).c_str(), "sample.wav");
    if (m_wave.Open(m_strFileName))
        m_ctlPosition.SetRange(0, static_cast<int>(m_wave.GetLength() / 100), FALSE);
    UpdateData(FALSE);

    SelectExact(m_cbChannels, "Stereo");
    SelectExact(m_cbSampleRate, "44100 Hz");
    SelectExact(m_cbBits, "16 bits");

    RefreshCommandState();
    ::PostMessageA(m_hWnd, WM_OFFER_LEFTOVER, 0, 0);
    return TRUE;
}

void CRecorderDlg::CreateStatusBar()
{
    RECT rect;
    GetWindowRect(&rect);
    rect.top = rect.bottom - Scale(25);
    m_wndStatusBar.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | SBARS_SIZEGRIP | CCS_BOTTOM, rect, this,
                          IDC_STATUSBAR);
    KeepFromDpiScaling(m_wndStatusBar.m_hWnd);
    m_fontStatusBar.Capture(m_wndStatusBar.m_hWnd, GetSystemDpi());
    FitStatusBar();
    m_wndLevelMeter.Create(m_wndStatusBar, { IDS_READY_INITIAL, IDS_PAUSED, IDS_STOPPED, IDS_RECORDING, IDS_READY,
                                             IDS_PLAYING, IDS_RECORDED });
    ShowStatus(IDS_READY_INITIAL);
}

// One part across the whole window, in the font for the window's DPI; with CCS_BOTTOM the
// control then takes the height its text needs, along the bottom.
void CRecorderDlg::FitStatusBar()
{
    m_fontStatusBar.Apply(m_wndStatusBar.m_hWnd, m_nDpi);
    RECT rect;
    GetWindowRect(&rect);
    m_nStatusParts[0] = rect.right - rect.left;
    m_nStatusParts[1] = -1;
    ::SendMessageA(m_wndStatusBar.m_hWnd, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(m_nStatusParts));
    ::SendMessageA(m_wndStatusBar.m_hWnd, WM_SIZE, 0, 0);
    m_wndLevelMeter.Fit();
}

void CRecorderDlg::ShowStatus(UINT id)
{
    m_nStatusId = id;
    if (m_bSaving)
        return;   // shown once the save is done
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
    KeepFromDpiScaling(m_wndToolBar.m_hWnd);
    m_fontToolBar.Capture(m_wndToolBar.m_hWnd, GetSystemDpi());
    m_fontToolBar.Apply(m_wndToolBar.m_hWnd, m_nDpi);
    if (!m_wndToolBar.LoadLabeledToolBar(IDR_TOOLBAR, ToolBarImageSize(), ToolBarRoom()))
        return;
    m_wndToolBar.ShowWindow(SW_SHOW);
    // Record and Pause stay pressed after a click until the transport commands release them.
    m_wndToolBar.SetButtonStyle(m_wndToolBar.CommandToIndex(ID_RECORD), TBSTYLE_CHECK);
    m_wndToolBar.SetButtonStyle(m_wndToolBar.CommandToIndex(ID_PAUSE), TBSTYLE_CHECK);
    RepositionBars(IDW_TOOLBAR, IDW_CONTROLBAR_LAST);
    // The list the toolbar built from its blank strip is left to the toolbar: some toolbar
    // implementations destroy it themselves with the window, and destroying it here as well
    // would free it twice (its handle is reused by the next list we create).
    ShowToolBarImages();
}

SIZE CRecorderDlg::ToolBarImageSize() const
{
    const int size = ImageSetFor(Scale(CLabelToolBar::IMAGE.cx)).size;
    return { size, size };
}

SIZE CRecorderDlg::ToolBarRoom() const
{
    return { Scale(CLabelToolBar::ROOM.cx), Scale(CLabelToolBar::ROOM.cy) };
}

// The pictures of the set that fits the window's DPI, normal and hot.
void CRecorderDlg::ShowToolBarImages()
{
    const ToolBarImageSet& images = ImageSetFor(ToolBarImageSize().cx);
    LoadImageList(m_imlCold, images.cold, TB_SETIMAGELIST);
    LoadImageList(m_imlHot, images.hot, TB_SETHOTIMAGELIST);
}

// Puts the pictures of bitmap `bitmapId` into `list` and gives them to the toolbar by
// `message`; the list they replace goes only once the toolbar no longer shows it.
void CRecorderDlg::LoadImageList(CImageList& list, UINT bitmapId, UINT message)
{
    const SIZE size = ToolBarImageSize();
    HBITMAP bitmap = ::LoadBitmapA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(bitmapId));
    CImageList images;
    images.Create(size.cx, size.cy, ILC_COLORDDB | ILC_MASK, 16, 1);
    images.Add(bitmap, RGB(255, 0, 255));
    m_wndToolBar.SendMessage(message, 0, reinterpret_cast<LPARAM>(images.m_hImageList));
    list.Swap(images);
    if (bitmap)
        ::DeleteObject(bitmap);   // the list keeps a copy of the pictures
}

// The small icon for the window's DPI; the one it replaces was made here for another.
void CRecorderDlg::SetSmallIcon()
{
    HANDLE small = ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                GetSystemMetricForDpi(SM_CXSMICON, m_nDpi),
                                GetSystemMetricForDpi(SM_CYSMICON, m_nDpi), LR_DEFAULTCOLOR);
    const LRESULT replaced = SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (replaced)
        ::DestroyIcon(reinterpret_cast<HICON>(replaced));
}

// Moved to a monitor of another scale: the suggested place and size, and every size set here
// in pixels for the new DPI. The dialog manager scales the template's font and controls.
LRESULT CRecorderDlg::OnDpiChanged(WPARAM dpi, LPARAM suggested)
{
    m_nDpi = HIWORD(dpi);
    const RECT& place = *reinterpret_cast<const RECT*>(suggested);
    ::SetWindowPos(m_hWnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    FitToDpi();
    return 0;
}

void CRecorderDlg::FitToDpi()
{
    if (m_wndToolBar.GetCount() > 0) {
        m_fontToolBar.Apply(m_wndToolBar.m_hWnd, m_nDpi);
        m_wndToolBar.FitButtons(ToolBarImageSize(), ToolBarRoom());
        ShowToolBarImages();
        RepositionBars(IDW_TOOLBAR, IDW_CONTROLBAR_LAST);
    }
    FitStatusBar();
    SetSmallIcon();
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

LRESULT CRecorderDlg::OnQueryEndSession(WPARAM, LPARAM)
{
    return !m_bSaving;   // a save that copies asks the session to wait for it
}

LRESULT CRecorderDlg::OnEndSession(WPARAM ending, LPARAM)
{
    // The process may be ended as soon as this returns: a take ends here, so that its file in
    // the temporary folder is whole, and a save that copies stops at its next step.
    if (!ending)
        return 0;
    m_bSessionEnding = TRUE;
    if (m_wave.m_bRecording)
        OnStop();
    return 0;
}

// One question per start, about the newest take left: the others wait for later starts.
LRESULT CRecorderDlg::OnOfferLeftover(WPARAM, LPARAM)
{
    CLeftoverTake take;
    if (!take.FindNewest())
        return 0;
    // Cancel leaves the take for the next start.
    const int answer = UiMessageBox(m_hWnd, LeftoverQuestion(take), "Vorsel", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES)
        OpenLeftover(take);
    else if (answer == IDNO)
        DeleteLeftover(take);
    return 0;
}

void CRecorderDlg::OpenLeftover(const CLeftoverTake& take)
{
    if (!m_wave.OpenTake(take.m_strPath.c_str()))
        return;   // the device has said why
    m_bTakeUnsaved = TRUE;
    ShowFormat();
    ShowLength(m_wave.GetLength());
    RefreshCommandState();
}

// Asked again first, so that one slip loses nothing.
void CRecorderDlg::DeleteLeftover(const CLeftoverTake& take)
{
    if (UiMessageBox(m_hWnd, "Delete this recording for good?", "Vorsel", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDYES)
        return;
    if (!take.Delete())
        UiMessageBox(m_hWnd, "The recording could not be deleted. It is offered again at the next start.", "Vorsel",
                     MB_ICONWARNING);
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
    chooser.SetInitialFolder(ModuleFolder(false));
    if (chooser.DoModal() != IDOK)
        return;
    if (!chooser.PathNameFitsCodePage()) {
        ShowNameRefused();
        return;
    }
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
    m_strFileNameShown = CWnd::TextOf(GetDlgItem(IDC_FILENAME));
    UpdateData(FALSE);
}

// Before Windows 10 1903 the program's 8-bit calls carry only the characters of the system's
// code page: such a name would reach the device as a look-alike ("Lodz" for "Łódź") or with
// "?", and a file of another name would be written or opened.
void CRecorderDlg::ShowNameRefused()
{
    UiMessageBox(nullptr, NAME_REFUSED, "Unsupported File Name", MB_ICONWARNING);
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
    if (!CWnd::TextFitsCodePage(GetDlgItem(IDC_FILENAME))) {
        ShowNameRefused();
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
    const BOOL saved = m_wave.Save(m_strFileName, [this](DWORD percent) { return ShowSaving(percent); });
    EndSaving();
    if (saved)
        m_bTakeUnsaved = FALSE;
    if (m_bSessionEnding)
        return;   // the process is about to end: nobody reads a box now
    if (saved) {
        CString text;
        text.Format("Saved at the followin location: %s", m_strFileName.c_str());
        UiMessageBox(nullptr, text, "Sound File Saved!", MB_ICONINFORMATION);
    } else {
        UiMessageBox(nullptr, "Error when saving file!", "Error", MB_ICONERROR);
    }
    if (const UINT close = std::exchange(m_nCloseAfterSave, 0))
        ::PostMessageA(m_hWnd, WM_COMMAND, close, 0);
}

BOOL CRecorderDlg::ShowSaving(DWORD percent)
{
    // As under a modal box: the window paints and answers, but takes no input until the copy
    // is done. A session that ends meanwhile stops the copy; the target is then left as it was.
    if (!m_bSaving) {
        m_bSaving = TRUE;
        m_hFocusBeforeSave = ::GetFocus();
        ::EnableWindow(m_hWnd, FALSE);
        m_dwSavingShown = percent + 1;
    }
    if (percent != m_dwSavingShown && m_wndStatusBar.m_hWnd) {
        CString format, text;
        format.LoadString(IDS_SAVING);
        text.Format(format.c_str(), static_cast<unsigned long>(percent));
        m_wndStatusBar.SetText(text, 0, 0);
        m_dwSavingShown = percent;
    }
    PumpWaitingMessages();
    return !m_bSessionEnding;
}

void CRecorderDlg::EndSaving()
{
    if (!m_bSaving)
        return;
    m_bSaving = FALSE;
    ::EnableWindow(m_hWnd, TRUE);
    if (m_hFocusBeforeSave && ::IsWindow(m_hFocusBeforeSave))
        ::SetFocus(m_hFocusBeforeSave);
    ShowStatus(m_nStatusId);
}

BOOL CRecorderDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // While a save copies, commands wait as they would behind a modal box; a close is kept
    // for the save's end, so that the window never goes away under a half-written file.
    if (m_bSaving && message == WM_COMMAND) {
        const UINT id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL || id == ID_EXIT)
            m_nCloseAfterSave = id;
        *result = 0;
        return TRUE;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, result);
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
