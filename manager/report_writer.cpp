// The report's own thread: digests, then one line a file.
#include "manager/report_writer.h"

#include "platform/digest.h"

namespace dunax::manager {

platform::Status takeDigests(ReportJob& job) {
  platform::Expected<platform::FilesDigest> transfer = platform::digestFiles(job.transferNames);
  if (!transfer) return transfer.status();
  platform::Expected<platform::FilesDigest> data = platform::digestFiles({job.dataName});
  if (!data) return data.status();
  job.entry.transferSha256 = transfer->sha256;
  job.entry.bytes = static_cast<std::int64_t>(transfer->bytes);
  job.entry.dataSha256 = data->sha256;
  return {};
}

ReportWriter::~ReportWriter() { (void)finish(); }

platform::Status ReportWriter::open(const std::string& name) {
  if (platform::Status opened = file_.open(name); !opened.ok()) return opened;
  thread_ = std::thread([this] { run(); });
  return {};
}

void ReportWriter::submit(ReportJob job) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
}

platform::Status ReportWriter::finish() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
  file_.close();
  return failure_;
}

void ReportWriter::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return finishing_ || !jobs_.empty(); });
    if (jobs_.empty()) return;
    ReportJob job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    platform::Status problem;
    if (job.digest) problem = takeDigests(job);
    // A file whose digest could not be had still gets its line (with null digests).
    const platform::Status written = file_.writeLine(reportLine(job.entry));
    if (problem.ok()) problem = written;
    lock.lock();
    if (!problem.ok() && failure_.ok()) failure_ = problem;
  }
}

}  // namespace dunax::manager
