// vexacfg serve: the browser workbench over one open file, served on the
// loopback address to the holder of a fresh token. Only this program's page and
// its JSON API are served; no other file is read.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <httplib.h>
#include <iostream>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "platform/browser_launch.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/embedded_files.h"
#include "tools/loaded_file.h"
#include "tools/workbench.h"

namespace {
struct ServeOptions {
  std::string path, second;
  int port = 0;
  bool readOnly = false, open = false;
};

constexpr const char* kLoopback = "127.0.0.1";
constexpr const char* kTokenHeader = "X-Vexa-Token";

std::atomic<int> stopSignal{0};
extern "C" void OnStopSignal(int signal) { stopSignal = signal; }

std::string NewToken() {
  std::random_device random;
  std::string token;
  for (int i = 0; i < 8; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
    token += part;
  }
  return token;
}

// Compared in constant time, so the answer's timing tells nothing of the token.
bool SameToken(const std::string& given, const std::string& token) {
  if (given.size() != token.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < token.size(); ++i) difference |= static_cast<unsigned char>(given[i] ^ token[i]);
  return difference == 0;
}

void Answer(httplib::Response& response, int status, const Json& body) {
  response.status = status;
  response.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), "application/json");
}

// The page with its style and script inline: one request, one token check.
std::string Page() {
  std::string page = EmbeddedFile("index.html");
  auto put = [&](const std::string& mark, const std::string& content) {
    if (size_t at = page.find(mark); at != std::string::npos) page.replace(at, mark.size(), content);
  };
  put("/*STYLE*/", EmbeddedFile("workbench.css"));
  put("/*SCRIPT*/", EmbeddedFile("workbench.js"));
  return page;
}

class WorkbenchServer {
 public:
  WorkbenchServer(Workbench& workbench, bool readOnly) : workbench_(workbench), readOnly_(readOnly), token_(NewToken()) {
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
      return Admit(request, response) ? httplib::Server::HandlerResponse::Unhandled
                                      : httplib::Server::HandlerResponse::Handled;
    });
    server_.Get("/", [](const httplib::Request&, httplib::Response& response) {
      response.set_header("Cache-Control", "no-store");
      response.set_content(Page(), "text/html; charset=utf-8");
    });
    Get("/api/info", [this](const httplib::Request&) { return workbench_.Info(); });
    Get("/api/tables", [this](const httplib::Request&) { return workbench_.Tables(); });
    Get("/api/page", [this](const httplib::Request& request) {
      PageRequest page;
      page.table = request.get_param_value("table");
      page.where = request.get_param_value("where");
      page.orderBy = request.get_param_value("order");
      page.descending = request.get_param_value("desc") == "1";
      page.offset = Number(request.get_param_value("offset"), 0);
      page.limit = Number(request.get_param_value("limit"), 100);
      return workbench_.Page(page);
    });
    Get("/api/compare", [this](const httplib::Request& request) {
      return workbench_.Compare(request.get_param_value("against"));
    });
    Post("/api/query", [this](const Json& body) { return workbench_.Run(body.value("statement", "")); });
    Post("/api/edit", [this](const Json& body) {
      return workbench_.Edit(body.value("table", ""), body.value("id", ""), body.value("column", size_t{0}),
                             body.value("value", ""));
    });
    Post("/api/add", [this](const Json& body) {
      return workbench_.AddRow(body.value("table", ""), body.value("cells", std::vector<std::string>{}));
    });
    Post("/api/delete",
         [this](const Json& body) { return workbench_.DeleteRow(body.value("table", ""), body.value("id", "")); });
    Post("/api/undo", [this](const Json&) { return workbench_.Undo(); });
    Post("/api/save", [this](const Json&) { return workbench_.Save(); });
  }

  // The port bound, or -1.
  int Bind(int port) {
    if (port == 0) return port_ = server_.bind_to_any_port(kLoopback);
    return port_ = server_.bind_to_port(kLoopback, port) ? port : -1;
  }
  std::string Url() const { return "http://" + std::string(kLoopback) + ":" + std::to_string(port_) + "/?token=" + token_; }
  void Listen() { server_.listen_after_bind(); }
  void Stop() { server_.stop(); }

 private:
  using Handler = std::function<Json(const httplib::Request&)>;

  static size_t Number(const std::string& text, size_t fallback) {
    try {
      return text.empty() ? fallback : std::stoul(text);
    } catch (const std::exception&) {
      return fallback;
    }
  }

  // Refuses a request whose Host is not this server's (a page of another site
  // reaching it through a rebound name), or that does not carry the token. A
  // change must carry it in the header, which no page of another site can set.
  bool Admit(const httplib::Request& request, httplib::Response& response) const {
    const std::string host = request.get_header_value("Host"), port = ":" + std::to_string(port_);
    if (host != kLoopback + port && host != "localhost" + port) {
      Answer(response, 403, {{"error", "refused: the Host must be " + std::string(kLoopback) + port}});
      return false;
    }
    std::string token = request.get_header_value(kTokenHeader);
    if (token.empty() && request.method == "GET") token = request.get_param_value("token");
    if (!SameToken(token, token_)) {
      Answer(response, 401, {{"error", "refused: no valid token"}});
      return false;
    }
    if (request.method != "GET" && request.method != "POST") {
      Answer(response, 405, {{"error", "refused: only GET and POST"}});
      return false;
    }
    return true;
  }

  // Runs the handler under the lock; a refusal answers with its status.
  void Respond(httplib::Response& response, const std::function<Json()>& handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    try {
      Answer(response, 200, handler());
    } catch (const WorkbenchRefusal& refusal) {
      Answer(response, refusal.status, {{"error", refusal.what()}});
    } catch (const std::exception& error) {
      Answer(response, 500, {{"error", error.what()}});
    }
  }

  void Get(const char* path, Handler handler) {
    server_.Get(path, [this, handler](const httplib::Request& request, httplib::Response& response) {
      Respond(response, [&] { return handler(request); });
    });
  }

  void Post(const char* path, std::function<Json(const Json&)> handler) {
    server_.Post(path, [this, handler](const httplib::Request& request, httplib::Response& response) {
      if (request.get_header_value(kTokenHeader).empty()) {
        Answer(response, 401, {{"error", "refused: a change needs the token in the " + std::string(kTokenHeader) +
                                             " header"}});
        return;
      }
      Json body = Json::parse(request.body, nullptr, false);
      if (!body.is_object()) return Answer(response, 400, {{"error", "the body must be a JSON object"}});
      Respond(response, [&] { return handler(body); });
    });
  }

  Workbench& workbench_;
  bool readOnly_;
  std::string token_;
  int port_ = -1;
  httplib::Server server_;
  std::mutex mutex_;
};

// Asked on Ctrl-C with unsaved changes, as the shell asks; false to go on serving.
bool MayStop(Workbench& workbench, const std::string& path) {
  if (!workbench.Unsaved()) return true;
  for (;;) {
    std::printf("\nSave the changes to %s? yes, no (leave without saving), cancel: ", path.c_str());
    std::fflush(stdout);
    std::string answer;
    if (!std::getline(std::cin, answer)) return true;  // no one left to answer
    const size_t first = answer.find_first_not_of(" \t\r");
    answer = first == std::string::npos ? "" : answer.substr(first, answer.find_last_not_of(" \t\r") - first + 1);
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (answer == "y" || answer == "yes") {
      try {
        workbench.Save();
        std::printf("saved %s\n", path.c_str());
        return true;
      } catch (const WorkbenchRefusal& refusal) {
        FailWith(refusal.what());
        return false;
      }
    }
    if (answer == "n" || answer == "no") return true;
    if (answer.empty() || answer == "c" || answer == "cancel") return false;
  }
}

int Serve(const ServeOptions& options) {
  ToolSession session;
  if (HRESULT hr = session.Open(options.path); FAILED(hr)) return session.Fail(hr);
  if (!options.second.empty()) {
    LoadedFile second;
    std::string error;
    if (!second.Load(options.second, error)) return FailWith("cannot load " + options.second + ": " + error);
  }
  Workbench workbench(session, options.second, options.readOnly);
  WorkbenchServer server(workbench, options.readOnly);
  if (server.Bind(options.port) < 0)
    return FailWith("cannot listen on " + std::string(kLoopback) + ":" + std::to_string(options.port));
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::thread listener([&server] { server.Listen(); });
  std::printf("%s\n", server.Url().c_str());
  std::fflush(stdout);
  if (options.open && !OpenInBrowser(server.Url())) FailWith("warning: could not start a browser");
  for (;;) {
    while (!stopSignal) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Ctrl-C asks about unsaved changes; a request to terminate does not wait for an answer.
    if (stopSignal == SIGTERM || MayStop(workbench, options.path)) break;
    stopSignal = 0;
  }
  server.Stop();
  listener.join();
  return kExitSuccess;
}
}  // namespace

void AddServeCommand(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ServeOptions>();
  CLI::App* command = AddCommand(
      app, "serve PATH [PATH2] [--port N] [--read-only] [--open]", "Look at, query, edit and compare in a browser",
      "Serves the workbench for PATH on 127.0.0.1 (a free port unless --port) and prints its URL, which\n"
      "carries a fresh token: only the holder of the URL gets in. PATH2 is a second file to compare with.\n"
      "Changes are written only by the page's Save, which keeps the file as it was in PATH.Backup first.\n"
      "Ctrl-C stops the server, asking first whether to save unsaved changes.");
  command->add_option("PATH", options->path, "The configuration file")->required();
  command->add_option("PATH2", options->second, "A file to compare with");
  command->add_option("--port", options->port, "The port (a free one by default)")->check(CLI::Range(0, 65535));
  command->add_flag("--read-only", options->readOnly, "Refuse every change");
  command->add_flag("--open", options->open, "Open the URL in the browser");
  command->callback([options, &exitCode] { exitCode = Serve(*options); });
}
