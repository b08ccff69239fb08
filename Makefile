# The two entry points of the README: `make run` and `make test`. Both install what is missing first.
.PHONY: run test deps native native-asan win32-test win32 win64 release format clean

JOBS ?= 2

deps:
	@scripts/install-deps.sh

run: deps
	@scripts/run-app.sh

test: deps
	@scripts/test-all.sh

win32: deps
	cmake --preset win32 >/dev/null && cmake --build --preset win32 -j$(JOBS)

win64: deps
	cmake --preset win64 >/dev/null && cmake --build --preset win64 -j$(JOBS)

# dist/: both architectures built afresh, packed reproducibly; SIGN_PFX=... SIGN_PASS=... signs them.
release: deps
	@scripts/release.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
