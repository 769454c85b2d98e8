# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print when they find
# something; the sanitizer build makes most of them fail the exit too, but not every path does.
set(tarnwick_sanitizer_report "==[0-9]+==ERROR: |SUMMARY: [A-Za-z]+Sanitizer|: runtime error: ")
