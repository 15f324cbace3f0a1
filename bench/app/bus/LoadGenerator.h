#pragma once
// The benchmarks' load generator: a full load on every core, at ordinary
// priority, that a benchmark can pause.

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

// Keeps every core busy while it runs: one thread pinned to each core,
// mixing arithmetic with scattered memory traffic, as compilers do. Paused,
// the threads sleep.
class TLoad {
 public:
  TLoad() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned c = 0; c < cores; ++c) threads_.emplace_back([this, c] { Run(c); });
  }
  ~TLoad() {
    stop_ = true;
    for (auto& t : threads_) t.join();
  }
  TLoad(const TLoad&) = delete;
  TLoad& operator=(const TLoad&) = delete;
  void Pause(bool paused) {
    paused_ = paused;
    // Let the threads take up (or leave) their cores before measuring.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

 private:
  void Run(unsigned core) {
    // Ordinary priority whatever the benchmark runs at.
    sched_param normal{};
    pthread_setschedparam(pthread_self(), SCHED_OTHER, &normal);
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    pthread_setaffinity_np(pthread_self(), sizeof set, &set);  // best effort
    std::vector<uint64_t> memory(1u << 20);                    // 8 MB
    uint64_t x = core + 1;
    while (!stop_.load(std::memory_order_relaxed)) {
      if (paused_.load(std::memory_order_relaxed)) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        continue;
      }
      for (int i = 0; i < 4096; ++i) {
        x = x * 6364136223846793005ull + 1442695040888963407ull;
        memory[(x >> 24) & (memory.size() - 1)] += x;
      }
    }
    sink_ += memory[x & (memory.size() - 1)];
  }
  std::atomic<bool> stop_{false}, paused_{true};
  std::atomic<uint64_t> sink_{0};
  std::vector<std::thread> threads_;
};

