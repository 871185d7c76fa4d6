// The lookup behind LyricsWindow's controls: "查询" (runLyricsQuery and its list worker,
// fillResultList) and the result page (showSearchPage).
//
// A fetch on the GUI thread handles window messages while it waits, so during one the user
// may close the window or start another query. Each query takes a number; after every fetch
// a query that is no longer the latest, or whose window is gone, stops without a write.
// The list worker never touches a window: it leaves its rows in the mailbox it shares with
// the window and posts their query number; the window takes them on its own thread and
// drops the rows of any query but the latest. Once the window is gone the mailbox refuses
// every post.
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/lyrics_window_win.h"
#include "app/result_window_win.h"
#include "app/styled_message_box_win.h"
#include "ui/controls_win.h"

namespace app {

struct ResultMailbox {
  std::mutex mutex;
  HWND window = nullptr;  // null once the window is gone
  std::map<unsigned, std::vector<std::string>> rows;
};

LyricsWindow::LyricsWindow() : mailbox_(std::make_shared<ResultMailbox>()) {}

LyricsWindow::~LyricsWindow() {
  // The modal loop also returns when the program is told to end while the window is open:
  // the window must not outlive this object, whose address it keeps.
  if (hwnd() != nullptr) DestroyWindow(hwnd());
}

namespace {

// Rows for the result list from one fetched page.
std::vector<std::string> listRowsOf(lookup::Service service, const lookup::FetchedPage& page) {
  if (page.outcome != lookup::FetchOutcome::complete) return {lookup::fetchFailedRow()};
  return lookup::resultListRows(service, page.page);
}

void setListRows(HWND list, const std::vector<std::string>& rows) {
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const std::string& row : rows) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  }
}

}  // namespace

bool LyricsWindow::selectedService(lookup::Service& service) const {
  if (SendMessageA(control(kRadio1Baidu), BM_GETCHECK, 0, 0) == BST_CHECKED) {
    service = lookup::Service::baidu;
    return true;
  }
  if (SendMessageA(control(kRadio2Soso), BM_GETCHECK, 0, 0) == BST_CHECKED) {
    service = lookup::Service::soso;
    return true;
  }
  return false;
}

void LyricsWindow::showFetchedView(const lookup::LyricsQueryView& view) {
  ui::setWindowText(control(kEdit4NewName), view.newName);
  setListRows(control(kList1Results), view.rows);
}

void LyricsWindow::runLyricsQuery() {
  const unsigned query = ++queries_;
  HWND busy = control(kLabel4Busy);
  SetWindowPos(busy, HWND_TOP, 117, 40, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(busy);
  SendMessageA(control(kList1Results), LB_RESETCONTENT, 0, 0);

  const std::string lyrics = ui::windowText(control(kEdit2Lyrics));
  lookup::Service service = lookup::Service::baidu;
  if (lyrics.empty()) {
    showStyledMessageBox(lookup::emptyLyricsMessage(), lookup::emptyLyricsCaption());
  } else if (selectedService(service)) {
    const lookup::FetchedPage first = lookup::fetchServicePage(service, lyrics);
    if (hwnd() == nullptr || query != queries_) return;
    const lookup::LyricsQueryView view = lookup::lyricsQueryView(service, lyrics, first);
    if (view.step != lookup::LyricsQueryView::Step::results) {
      showFetchedView(view);
    } else {
      fillResultList(query, service, lyrics);
      // The first title comes from a page of its own, for the lyrics the box holds now.
      const lookup::FetchedPage again =
          lookup::fetchServicePage(service, ui::windowText(control(kEdit2Lyrics)));
      if (hwnd() == nullptr || query != queries_) return;
      ui::setWindowText(control(kEdit4NewName), again.outcome == lookup::FetchOutcome::complete
                                                    ? lookup::firstTitle(service, again.page)
                                                    : lookup::fetchFailedText());
    }
  }
  ShowWindow(busy, SW_HIDE);
}

void LyricsWindow::fillResultList(unsigned query, lookup::Service service,
                                  const std::string& lyrics) {
  std::shared_ptr<ResultMailbox> mailbox = mailbox_;
  try {
    std::thread([mailbox, query, service, lyrics] {
      try {
        std::vector<std::string> rows =
            listRowsOf(service, lookup::fetchServicePage(service, lyrics));
        std::lock_guard<std::mutex> lock(mailbox->mutex);
        if (mailbox->window == nullptr) return;
        mailbox->rows[query] = std::move(rows);
        PostMessageA(mailbox->window, kResultRowsMessage, query, 0);
      } catch (...) {
        // Out of memory on the way: the list stays as it is.
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the list stays empty.
  }
}

void LyricsWindow::takeResultRows(unsigned query) {
  std::vector<std::string> rows;
  {
    std::lock_guard<std::mutex> lock(mailbox_->mutex);
    const auto found = mailbox_->rows.find(query);
    if (found == mailbox_->rows.end()) return;
    rows = std::move(found->second);
    mailbox_->rows.erase(found);
  }
  // A later query owns the list now.
  if (query != queries_) return;
  setListRows(control(kList1Results), rows);
}

void LyricsWindow::openMailbox() {
  std::lock_guard<std::mutex> lock(mailbox_->mutex);
  mailbox_->window = hwnd();
}

void LyricsWindow::closeMailbox() {
  std::lock_guard<std::mutex> lock(mailbox_->mutex);
  mailbox_->window = nullptr;
  mailbox_->rows.clear();
}

void LyricsWindow::showSearchPage() {
  HWND result = ResultWindow::open();
  lookup::Service service = lookup::Service::baidu;
  if (result == nullptr || !selectedService(service)) return;
  ResultWindow::navigate(result,
                         lookup::serviceAddress(service, ui::windowText(control(kEdit2Lyrics))));
  const lookup::FetchedPage page =
      lookup::fetchServicePage(service, ui::windowText(control(kEdit2Lyrics)));
  // The fetch let messages through: the result window may have been closed meanwhile.
  if (page.outcome != lookup::FetchOutcome::complete || !IsWindow(result) ||
      ui::windowClassName(result) != kResultWindowClass) {
    return;
  }
  ui::setWindowText(result, lookup::resultPageCaption(page.page));
}

}  // namespace app
