# Zolt: make run | make test | make build | make bootstrap | make package
JOBS ?= 2
# Test programs side by side: most of their time is spent waiting on pseudo-terminals at
# the line rate and on the window's timers, so more of them than cores.
TEST_JOBS ?= 4
# Seconds per fuzz harness: a few in make test, longer in make fuzz.
TEST_FUZZ_SECONDS ?= 5
FUZZ_SECONDS ?= 60

.PHONY: bootstrap build test run bench asan tsan fuzz package

bootstrap:
	@tools/bootstrap.sh

build: bootstrap
	cmake --preset default
	cmake --build --preset default -j$(JOBS)

test: build
	ctest --preset default -j$(TEST_JOBS)
	$(MAKE) --no-print-directory asan tsan
	@tools/run-fuzzers.sh $(TEST_FUZZ_SECONDS)

asan:
	cmake --preset asan
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(TEST_JOBS)

tsan:
	cmake --preset tsan
	cmake --build --preset tsan -j$(JOBS)
	ctest --preset tsan -j$(TEST_JOBS) -L tsan

fuzz:
	@tools/run-fuzzers.sh $(FUZZ_SECONDS)

# The Debian package build/zolt_<version>_<arch>.deb.
package: build
	cd build && cpack

run: build
	@tools/run-zolt.sh

bench: build
	build/bin/zolt-bench
